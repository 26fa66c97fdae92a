#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "five_points_chart.h"
#include "plot/bitmap.h"
#include "render/painter_canvas.h"

namespace tarvolen::render {
namespace {

namespace fs = std::filesystem;

fs::path TempFolder() {
  const fs::path folder = fs::temp_directory_path() / ("tarvolen-export-" + std::to_string(getpid()));
  fs::create_directories(folder);
  return folder;
}

// The picture in `file` is what the chart shows.
void ExpectChartPicture(const std::string& file, const char* format, TChart& chart) {
  QImage read;
  ASSERT_TRUE(read.load(QString::fromStdString(file), format)) << file;
  EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), RenderChartImage(chart)) << file;
}

TEST(SaveChartBitmap, WritesTheSamePictureTwiceWithoutAChange) {
  FivePoints f;
  const fs::path folder = TempFolder();
  const std::string first = (folder / "a.bmp").string();
  const std::string second = (folder / "b.bmp").string();
  SaveChartBitmap(f.chart, first, MakeImageBitmap);
  SaveChartBitmap(f.chart, second, MakeImageBitmap);
  const std::string a = ReadWholeFile(first);
  EXPECT_EQ(a.size(), 54u + 912 * 245);
  EXPECT_EQ(a, ReadWholeFile(second));
  ExpectChartPicture(first, "BMP", f.chart);
  fs::remove_all(folder);
}

TEST(SaveChartPng, WritesThePictureAsPng) {
  FivePoints f;
  const fs::path folder = TempFolder();
  const std::string file = (folder / "figure.png").string();
  SaveChartPng(f.chart, file);
  ExpectChartPicture(file, "PNG", f.chart);
  fs::remove_all(folder);
}

TEST(RenderChartImage, MatchesTheStoredPictureOfFivePointsAndTheirLine) {
  FivePoints f;
  const QImage image = RenderChartImage(f.chart);
  // Found from the tests folder, not from __FILE__: a compiler cache may record a relative name.
  const fs::path golden =
      fs::path(TARVOLEN_TEST_DATA).parent_path() / "render" / "golden" / "five-points.png";
  if (std::getenv("TARVOLEN_UPDATE_GOLDEN")) image.save(QString::fromStdString(golden.string()));
  QImage expected;
  ASSERT_TRUE(expected.load(QString::fromStdString(golden.string())))
      << "missing " << golden << " (TARVOLEN_UPDATE_GOLDEN=1 writes it)";
  EXPECT_EQ(image, expected.convertToFormat(QImage::Format_RGB32))
      << "the chart no longer draws as " << golden
      << " shows; look at the difference, then TARVOLEN_UPDATE_GOLDEN=1 rewrites it";
}

TEST(PaintChart, ReusesTheStoredFrameAndDrawsTheZoomRectangleOnTop) {
  FivePoints f;
  const Size client = f.chart.ClientSize();
  QImage stored;
  QImage screen(client.width, client.height, QImage::Format_RGB32);
  auto paint = [&] {
    QPainter painter(&screen);
    PaintChart(painter, f.chart, stored, client);
  };
  paint();
  EXPECT_FALSE(f.chart.NeedsFrame(client));
  const QImage frame = stored.copy();
  EXPECT_EQ(screen, frame);

  // A zoom drag changes the screen, not the stored frame.
  f.chart.MouseDown(TMouseButton::mbLeft, 100, 80);
  f.chart.MouseMove(160, 140);
  paint();
  EXPECT_EQ(stored, frame);
  EXPECT_NE(screen, frame);
  EXPECT_NE(screen.pixel(130, 80), frame.pixel(130, 80));
  f.chart.MouseUp(TMouseButton::mbLeft, 100, 80);  // too short a drag back: nothing happens
  paint();
  EXPECT_EQ(screen, frame);

  // An export discards the stored frame: the next paint draws anew.
  RenderChartImage(f.chart);
  EXPECT_TRUE(f.chart.NeedsFrame(client));
  paint();
  EXPECT_EQ(screen, frame);
}

}  // namespace
}  // namespace tarvolen::render
