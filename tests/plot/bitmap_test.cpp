#include "plot/bitmap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "common/errors.h"
#include "plot/recording_canvas.h"

namespace tarvolen {
namespace {

// A bitmap whose pixels are set by hand; its canvas records instead of drawing.
class FakeBitmap : public TBitmap {
 public:
  FakeBitmap(int width, int height) : width_(width), height_(height), pixels_(width * height) {}
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  std::unique_ptr<Canvas> Paint() override { return std::make_unique<RecordingCanvas>(); }
  TColor Pixel(int x, int y) const override { return pixels_[y * width_ + x]; }
  void Set(int x, int y, TColor c) { pixels_[y * width_ + x] = c; }

 private:
  int width_, height_;
  std::vector<TColor> pixels_;
};

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint8_t>(bytes[at]) | static_cast<std::uint8_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint8_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}

std::uint16_t Read16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

TEST(EncodeBmp24, WritesHeadersAndBottomUpPaddedRows) {
  FakeBitmap bitmap(2, 2);
  bitmap.Set(0, 0, RGB(1, 2, 3));
  bitmap.Set(1, 0, RGB(4, 5, 6));
  bitmap.Set(0, 1, RGB(7, 8, 9));
  bitmap.Set(1, 1, RGB(10, 11, 12));
  const std::string bmp = EncodeBmp24(bitmap);

  ASSERT_EQ(bmp.size(), 54u + 2 * 8);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  const struct {
    std::size_t at;
    int bytes;
    std::uint32_t value;
    const char* field;
  } fields[] = {
      {2, 4, 70, "file size"},    {6, 4, 0, "reserved"},       {10, 4, 54, "pixel offset"},
      {14, 4, 40, "header size"}, {18, 4, 2, "width"},         {22, 4, 2, "height"},
      {26, 2, 1, "planes"},       {28, 2, 24, "bits"},         {30, 4, 0, "compression"},
      {34, 4, 16, "image size"},  {46, 4, 0, "colours used"},
  };
  for (const auto& f : fields) {
    EXPECT_EQ(f.bytes == 4 ? Read32(bmp, f.at) : Read16(bmp, f.at), f.value) << f.field;
  }
  // The bottom row comes first, blue green red, padded to four bytes.
  const std::string pixels = bmp.substr(54);
  EXPECT_EQ(pixels, std::string("\x09\x08\x07\x0c\x0b\x0a\0\0\x03\x02\x01\x06\x05\x04\0\0", 16));
}

TEST(EncodeBmp24, PadsEveryRowToFourBytes) {
  const struct {
    int width;
    std::size_t row;
  } cases[] = {{1, 4}, {3, 12}, {4, 12}, {303, 912}};
  for (const auto& c : cases) {
    FakeBitmap bitmap(c.width, 5);
    EXPECT_EQ(EncodeBmp24(bitmap).size(), 54 + 5 * c.row) << "width " << c.width;
  }
}

// A bitmap whose canvas hands its recorded calls to `out` when painting ends.
class KeepingBitmap : public FakeBitmap {
 public:
  KeepingBitmap(int w, int h, std::vector<CanvasCall>& out) : FakeBitmap(w, h), out_(out) {}
  std::unique_ptr<Canvas> Paint() override {
    struct Keeping : RecordingCanvas {
      explicit Keeping(std::vector<CanvasCall>& out) : out_(out) {}
      ~Keeping() override { out_ = Calls(); }
      std::vector<CanvasCall>& out_;
    };
    return std::make_unique<Keeping>(out_);
  }

 private:
  std::vector<CanvasCall>& out_;
};

TEST(RenderChartBitmap, DrawsOneUnbufferedFrameOfTheRectanglesSize) {
  TChart chart;
  ConfigureChart1(chart);
  chart.FrameStored(chart.ClientSize());
  std::vector<CanvasCall> calls;
  const BitmapFactory keeping = [&](int w, int h) {
    return std::make_unique<KeepingBitmap>(w, h, calls);
  };

  const auto bitmap = RenderChartBitmap(chart, clWhite, {0, 0, 303, 245}, keeping);
  EXPECT_EQ(bitmap->Width(), 303);
  EXPECT_EQ(bitmap->Height(), 245);
  ASSERT_FALSE(calls.empty());
  // White: no fill of its own; the frame starts with the chart's background.
  EXPECT_EQ(calls[0].color, ResolveColor(clInactiveCaptionText));
  // Buffering is back on, but the stored screen picture is gone.
  EXPECT_TRUE(chart.BufferedDisplay());
  EXPECT_TRUE(chart.NeedsFrame(chart.ClientSize()));

  RenderChartBitmap(chart, clRed, {0, 0, 10, 10}, keeping);
  EXPECT_EQ(calls[0].color, clRed);
  EXPECT_EQ(calls[0].rect, (Rect{0, 0, 10, 10}));
}

TEST(SaveChartBitmap, ReplacesAFileAndReportsOneThatCannotBeCreated) {
  TChart chart;
  ConfigureChart1(chart);
  const BitmapFactory factory = [](int w, int h) { return std::make_unique<FakeBitmap>(w, h); };
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tarvolen-bitmap-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "figure.bmp").string();
  { std::ofstream(file) << "old"; }
  SaveChartBitmap(chart, file, factory);
  EXPECT_EQ(std::filesystem::file_size(file), 54u + 912 * 245);

  const std::string missing = (folder / "no-such-folder" / "figure.bmp").string();
  try {
    SaveChartBitmap(chart, missing, factory);
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot create file \"" + missing + "\". No such file or directory");
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_TRUE(chart.BufferedDisplay());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace tarvolen
