#include "plot/bitmap.h"

#include <vector>

#include "common/file_io.h"

namespace tarvolen {
namespace {

void Put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

// Switches the chart's buffering off for one export and back on, also when drawing fails.
class UnbufferedFrame {
 public:
  explicit UnbufferedFrame(TChart& chart) : chart_(chart), buffered_(chart.BufferedDisplay()) {
    chart_.SetBufferedDisplay(false);
  }
  ~UnbufferedFrame() { chart_.SetBufferedDisplay(buffered_); }
  UnbufferedFrame(const UnbufferedFrame&) = delete;
  UnbufferedFrame& operator=(const UnbufferedFrame&) = delete;

 private:
  TChart& chart_;
  bool buffered_;
};

}  // namespace

void TBitmap::ReadRowBgr(int y, std::uint8_t* bgr) const {
  for (int x = 0; x < Width(); ++x) {
    const TColor c = Pixel(x, y);
    *bgr++ = static_cast<std::uint8_t>(BlueOf(c));
    *bgr++ = static_cast<std::uint8_t>(GreenOf(c));
    *bgr++ = static_cast<std::uint8_t>(RedOf(c));
  }
}

void DrawChartForExport(TChart& chart, Canvas& canvas, const Rect& rect) {
  const UnbufferedFrame unbuffered(chart);
  chart.Draw(canvas, {0, 0, rect.Width(), rect.Height()});
}

std::unique_ptr<TBitmap> RenderChartBitmap(TChart& chart, TColor background, const Rect& rect,
                                           const BitmapFactory& make_bitmap) {
  std::unique_ptr<TBitmap> bitmap = make_bitmap(rect.Width(), rect.Height());
  {
    const std::unique_ptr<Canvas> canvas = bitmap->Paint();
    if (ResolveColor(background) != clWhite) {
      canvas->FillRect({0, 0, rect.Width(), rect.Height()}, ResolveColor(background));
    }
    DrawChartForExport(chart, *canvas, rect);
  }
  return bitmap;
}

std::string EncodeBmp24(const TBitmap& bitmap) {
  const int width = bitmap.Width();
  const int height = bitmap.Height();
  const std::uint32_t row_bytes = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t image_size = row_bytes * static_cast<std::uint32_t>(height);
  constexpr std::uint32_t kHeaders = 14 + 40;
  constexpr std::uint32_t kPixelsPerMeter = 3780;  // 96 dpi

  std::string out;
  out.reserve(kHeaders + image_size);
  out += "BM";
  Put32(out, kHeaders + image_size);
  Put16(out, 0);
  Put16(out, 0);
  Put32(out, kHeaders);

  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height));  // positive: rows bottom-up
  Put16(out, 1);   // planes
  Put16(out, 24);  // bits per pixel
  Put32(out, 0);   // no compression
  Put32(out, image_size);
  Put32(out, kPixelsPerMeter);
  Put32(out, kPixelsPerMeter);
  Put32(out, 0);  // colours used: no colour table
  Put32(out, 0);  // important colours

  std::vector<std::uint8_t> row(row_bytes, 0);
  for (int y = height - 1; y >= 0; --y) {
    bitmap.ReadRowBgr(y, row.data());
    out.append(reinterpret_cast<const char*>(row.data()), row.size());
  }
  return out;
}

void SaveChartBitmap(TChart& chart, const std::string& file_name,
                     const BitmapFactory& make_bitmap) {
  const Size client = chart.ClientSize();
  const std::unique_ptr<TBitmap> bitmap =
      RenderChartBitmap(chart, clWhite, {0, 0, client.width, client.height}, make_bitmap);
  WriteWholeFile(file_name, EncodeBmp24(*bitmap));
}

}  // namespace tarvolen
