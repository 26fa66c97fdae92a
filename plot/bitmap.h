#pragma once

// The chart as a picture: rendering one frame into a bitmap, and the 24-bit BMP file.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "plot/canvas.h"
#include "plot/chart.h"

namespace tarvolen {

// A picture the chart can be drawn onto. `Paint` hands out a canvas over the whole picture;
// the pixels may be read once that canvas is gone.
class TBitmap {
 public:
  virtual ~TBitmap() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual std::unique_ptr<Canvas> Paint() = 0;
  // The colour of pixel (x, y), 0 <= x < Width(), 0 <= y < Height().
  virtual TColor Pixel(int x, int y) const = 0;
  // The blue, green and red bytes of row y, Width() pixels of three bytes, into `bgr`.
  virtual void ReadRowBgr(int y, std::uint8_t* bgr) const;
};

// Makes a bitmap of the given size (the platform's picture type).
using BitmapFactory = std::function<std::unique_ptr<TBitmap>(int width, int height)>;

// Draws one complete frame of the chart onto `canvas`, over a rectangle of `rect`'s size at the
// canvas's origin, as every export does: the chart's off-screen buffering is switched off for
// the frame (which discards the stored screen picture and marks the chart changed) and restored.
void DrawChartForExport(TChart& chart, Canvas& canvas, const Rect& rect);

// Draws one complete frame of the chart into a new bitmap of `rect`'s size: fills it with
// `background` unless that is white, switches the chart's off-screen buffering off for the
// frame (which discards the stored screen picture and marks the chart changed) and restores it.
std::unique_ptr<TBitmap> RenderChartBitmap(TChart& chart, TColor background, const Rect& rect,
                                           const BitmapFactory& make_bitmap);

// The bytes of a 24-bit BMP file of the bitmap: a 14-byte file header, a 40-byte information
// header (no compression, rows bottom-up, 96 dpi), and rows of blue, green, red bytes padded to
// four bytes.
std::string EncodeBmp24(const TBitmap& bitmap);

// Renders the chart's client rectangle on white and writes it to `file_name` (used unchanged) as
// a 24-bit BMP file, replacing any file of that name only once the whole picture is written.
// Throws EFCreateError "Cannot create file "<full path>". <reason>" (or EWriteError) when it
// cannot be written; the chart is left as it was.
void SaveChartBitmap(TChart& chart, const std::string& file_name, const BitmapFactory& make_bitmap);

}  // namespace tarvolen
