#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace tarvolen::test {

inline QImage Solid(QSize size, const QColor& color) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(color);
  return image;
}

// A picture whose every pixel has its own colour, so any copied block can be traced back.
inline QImage Numbered(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x % 256, (x / 256) * 64 + y % 64, y));
  }
  return image;
}

inline QImage Canvas(QSize size, const QColor& color = QColor(255, 0, 255)) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(color);
  return image;
}

// The box around every pixel of `image` in columns `from_x` on for which `pick` holds.
template <typename Pick>
QRect PixelsWhere(const QImage& image, Pick pick, int from_x = 0) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = from_x; x < image.width(); ++x) {
      if (pick(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

inline QString Hex(QRgb rgb) { return QColor::fromRgba(rgb).name(QColor::HexArgb); }

}  // namespace tarvolen::test
