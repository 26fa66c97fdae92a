#include "common/installation.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace tarvolen {
namespace {

TEST(Installation, InstalledFilesLieInShareBesideBinAsPlainPaths) {
  struct Case {
    InstalledItem item;
    const char* path;
  };
  const Case kCases[] = {
      {InstalledItem::kExamplesFolder, "/opt/t/share/tarvolen/examples"},
      {InstalledItem::kManualChm, "/opt/t/share/doc/tarvolen/Tarvolen.chm"},
      {InstalledItem::kManualHtml, "/opt/t/share/doc/tarvolen/manual/index.html"}};
  for (const Case& c : kCases) {
    EXPECT_EQ(InstalledPath("/opt/t/bin", c.item), c.path);
    EXPECT_EQ(InstalledPath("/opt/t/bin/", c.item), c.path);
  }
}

// The tests run from the build folder, which holds the same files where an installation does.
TEST(Installation, ProgramsInTheBuildFolderFindTheExamplesAndTheManual) {
  const auto examples = ExamplesFolder();
  ASSERT_TRUE(examples);
  EXPECT_TRUE(std::ifstream(*examples + "/five-points.txt"));
  const auto manual = ManualHtml();
  ASSERT_TRUE(manual);
  std::ifstream in(*manual);
  const std::string page(std::istreambuf_iterator<char>(in), {});
  EXPECT_NE(page.find(std::string("<h1>Tarvolen ") + ProgramVersion() + "</h1>"),
            std::string::npos);
  EXPECT_EQ(ProgramBeside("tarvolen-fit"), ProgramFolder() + "/tarvolen-fit");
}

}  // namespace
}  // namespace tarvolen
