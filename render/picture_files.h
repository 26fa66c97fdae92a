#pragma once

// The chart saved as a picture file: a 24-bit BMP, the same pixels as PNG, or an SVG drawing.

#include <optional>
#include <string>
#include <string_view>

#include "plot/chart.h"

namespace tarvolen::render {

enum class PictureFormat { kBmp, kPng, kSvg };

// The format a file name asks for by its extension (".bmp", ".png" or ".svg" in any case);
// nullopt for any other name.
std::optional<PictureFormat> PictureFormatOfName(std::string_view file_name);

// The extension of a format, with its full stop: ".bmp", ".png", ".svg".
const char* PictureExtension(PictureFormat format);

// The chart as an SVG drawing of its client size (one unit a pixel at 96 dpi), drawn by the same
// frame drawing as the screen and the bitmaps: axes, ticks and the frame as paths, labels as
// text, the data points as circles (one where several fall on one pixel) and a fitted curve as
// one path, cut at the plot rectangle as the screen cuts it. Nothing is anti-aliased into the
// file: a viewer draws it at any size.
std::string ChartSvg(TChart& chart);

// Writes the chart picture to `file_name` (used unchanged) in `format`, replacing any file of
// that name only once the whole picture is written. Throws EFCreateError "Cannot create file
// "<full path>". <reason>" or EWriteError when it cannot be written; the chart is left as it was.
void SaveChartPicture(TChart& chart, const std::string& file_name, PictureFormat format);

}  // namespace tarvolen::render
