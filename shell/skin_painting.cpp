#include "shell/skin_painting.h"

#include <algorithm>
#include <cstring>

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>
#include <QPainterPath>

#include "common/colors.h"
#include "shell/MyImgBtn.h"

namespace tarvolen {
namespace {

constexpr QImage::Format kWorkFormat = QImage::Format_ARGB32_Premultiplied;

// Copies the block `from` of `src` to `at` in `dst`, both in the work format, clipped to
// what exists in both pictures.
void CopyBlock(QImage& dst, QPoint at, const QImage& src, QRect from) {
  const QRect src_part = from.intersected(src.rect());
  QRect dst_part = src_part.translated(at - from.topLeft()).intersected(dst.rect());
  if (dst_part.isEmpty()) return;
  const QPoint src_origin = dst_part.topLeft() - at + from.topLeft();
  for (int row = 0; row < dst_part.height(); ++row) {
    const auto* s = reinterpret_cast<const QRgb*>(src.constScanLine(src_origin.y() + row));
    auto* d = reinterpret_cast<QRgb*>(dst.scanLine(dst_part.top() + row));
    std::memcpy(d + dst_part.left(), s + src_origin.x(), sizeof(QRgb) * dst_part.width());
  }
}

// Fills columns [left, right) of `dst` with column `x` of `src`, rows clipped as in CopyBlock.
void SpreadColumn(QImage& dst, int left, int right, const QImage& src, int x, int rows) {
  left = std::max(left, 0);
  right = std::min(right, dst.width());
  if (x < 0 || x >= src.width() || left >= right) return;
  rows = std::min({rows, src.height(), dst.height()});
  for (int row = 0; row < rows; ++row) {
    const QRgb value = reinterpret_cast<const QRgb*>(src.constScanLine(row))[x];
    auto* d = reinterpret_cast<QRgb*>(dst.scanLine(row));
    std::fill(d + left, d + right, value);
  }
}

// Restores the painter's state on every way out, errors included.
class SavedPainter {
 public:
  explicit SavedPainter(QPainter& painter) : painter_(painter) { painter_.save(); }
  ~SavedPainter() { painter_.restore(); }
  SavedPainter(const SavedPainter&) = delete;
  SavedPainter& operator=(const SavedPainter&) = delete;

 private:
  QPainter& painter_;
};

QImage NewPicture(QSize size) {
  QImage picture(size, kWorkFormat);
  picture.fill(Qt::transparent);
  return picture;
}

void DrawCheckMark(QPainter& canvas, const QRect& cell, const QColor& color, bool radio) {
  SavedPainter saved(canvas);
  canvas.setRenderHint(QPainter::Antialiasing);
  if (radio) {
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(color);
    canvas.drawEllipse(QRectF(cell).center(), 3.0, 3.0);
  } else {
    QPen pen(color, 1.8);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(cell.left() + 3.5, cell.top() + 8.5);
    tick.lineTo(cell.left() + 6.5, cell.top() + 11.5);
    tick.lineTo(cell.left() + 12.5, cell.top() + 4.5);
    canvas.drawPath(tick);
  }
}

}  // namespace

QImage StretchSkinStrip(QSize target_size, const QImage& source, int c, int h) {
  QImage picture = NewPicture(target_size);
  if (source.isNull() || picture.isNull()) return picture;
  const QImage src = source.convertToFormat(kWorkFormat);
  const int w = target_size.width();
  CopyBlock(picture, QPoint(0, 0), src, QRect(0, 0, c, h));
  SpreadColumn(picture, c, w - c, src, c, h);
  CopyBlock(picture, QPoint(w - c, 0), src, QRect(src.width() - c, 0, c, h));
  return picture;
}

void StretchSkinStrip(TImage& target, const QImage& source, int c, int h) {
  target.SetPicture(TPicture(StretchSkinStrip(target.size(), source, c, h)));
}

void SliceButtonStates(TImgBtn& button, const QImage& source, int w, int h, int x, int y) {
  const auto cell = [&](int top) { return TPicture(source.copy(x, top, w, h), true); };
  const TPicture normal = cell(y);
  const TPicture hover = cell(y + h + 1);
  const TPicture pressed = cell(y + 2 * h + 2);
  button.SetPic(normal);
  button.SetPicUp(hover);
  button.SetPicDown(pressed);
}

void StretchSkinColumn(QPainter& canvas, const QRect& rect, const QImage& source, int x, int y) {
  if (x < 0 || x >= source.width() || y < 0) return;
  const int rows = std::min(rect.height(), source.height() - y);
  if (rows <= 0 || rect.width() <= 0) return;
  const QImage column = source.copy(x, y, 1, rows);
  SavedPainter saved(canvas);
  canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
  canvas.drawImage(QRect(rect.left(), rect.top(), rect.width(), rows), column);
}

void ToolBar1CustomDraw(QPainter& canvas, const QRect& rect, const QImage& image_menu) noexcept {
  try {
    StretchSkinColumn(canvas, rect, image_menu, 1, kMenuFaceNormalTop);
  } catch (...) {
  }
}

void ToolBar2CustomDraw(QPainter& canvas, const QRect& rect, const QImage& image_tool) noexcept {
  try {
    StretchSkinColumn(canvas, rect, image_tool, 1, 0);
  } catch (...) {
  }
}

int MenuFaceTop(TToolButtonState state) {
  if (state.hot) return kMenuFaceHotTop;
  if (state.selected) return kMenuFaceSelectedTop;
  return kMenuFaceNormalTop;
}

void ToolBar1CustomDrawButton(QPainter& canvas, const QRect& bounds, TToolButtonState state,
                              const QString& caption, const QFont& font,
                              const QImage& image_menu) noexcept {
  try {
    QImage face = NewPicture(QSize(kMenuFaceWidth, kMenuFaceHeight));
    CopyBlock(face, QPoint(0, 0), image_menu.convertToFormat(kWorkFormat),
              QRect(0, MenuFaceTop(state), kMenuFaceWidth, kMenuFaceHeight));

    const int left = bounds.left();
    const int top = bounds.top();
    SavedPainter saved(canvas);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.drawImage(QRect(left, top, 5, kMenuFaceHeight), face, QRect(0, 0, 5, kMenuFaceHeight));
    canvas.drawImage(QRect(left + 59, top, 5, kMenuFaceHeight), face,
                     QRect(59, 0, 5, kMenuFaceHeight));
    canvas.drawImage(QRect(left + 2, top, 60, kMenuFaceHeight), face,
                     QRect(56, 0, 5, kMenuFaceHeight));

    canvas.setFont(font);
    canvas.setPen(Qt::white);
    canvas.setBackgroundMode(Qt::TransparentMode);
    canvas.drawText(bounds.adjusted(0, 2, 0, 0),
                    Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic, caption);
  } catch (...) {
  }
}

QFont MenuBarFont() {
  QFont font = QApplication::font();
  const QStringList families = QFontDatabase::families();
  for (const QString& face : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
    if (families.contains(face)) {
      font.setFamily(face);
      break;
    }
  }
  font.setPixelSize(12);
  return font;
}

QColor MenuGrayedText() {
  const TColor shadow = ResolveColor(clBtnShadow);
  return QColor(RedOf(shadow), GreenOf(shadow), BlueOf(shadow));
}

QImage DisabledPicture(const QImage& picture) {
  QImage out = picture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      const int grey = 128 + qGray(line[x]) / 2;
      line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
    }
  }
  return out;
}

void Open1AdvancedDrawItem(const TMenuItemDraw& item, QPainter& canvas, const QRect& rect,
                           TOwnerDrawState state) noexcept {
  try {
    SavedPainter saved(canvas);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    const int left = rect.left();
    const int top = rect.top();
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();
    const bool separator = item.caption == QLatin1String("-");

    QColor background = kMenuItemBackground;
    QColor frame = kMenuItemBackground;
    if (state.grayed && !separator) {
      background = frame = kMenuGrayed;
    } else if (state.selected) {
      background = kMenuSelectedBackground;
      frame = kMenuSelectedFrame;
    }
    canvas.fillRect(rect, background);
    if (rect.width() > 1 && rect.height() > 1) {
      canvas.setPen(QPen(frame, 0));
      canvas.setBrush(Qt::NoBrush);
      canvas.drawRect(QRect(left, top, rect.width() - 1, rect.height() - 1));
    }

    if (!state.selected || state.grayed) {
      canvas.fillRect(QRect(left, top, 20, rect.height()), kMenuGutter);
    }

    if (separator) {
      const int mid = top + (bottom - top) / 2;
      const int line_left = left + 23;
      const int line_right = right - 2;
      if (line_right > line_left) {
        canvas.fillRect(QRect(line_left, mid - 1, line_right - line_left, 1), kMenuSeparator);
      }
    } else {
      const QColor text = state.grayed ? MenuGrayedText() : QColor(Qt::black);
      canvas.setBackgroundMode(Qt::TransparentMode);
      canvas.setPen(text);
      const int flags = Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
      canvas.drawText(QRect(left + 24, top + 3, right - (left + 24), bottom - (top + 3)),
                      flags | Qt::AlignLeft, item.caption);
      canvas.drawText(QRect(left + 24, top + 3, right - 10 - (left + 24), bottom - (top + 3)),
                      flags | Qt::AlignRight, item.shortcut);
      if (item.checked) {
        const QPoint at = item.radio ? QPoint(left + 4, top) : QPoint(left + 2, top);
        DrawCheckMark(canvas, QRect(at, QSize(16, 16)).translated(0, 2), text, item.radio);
      }
    }

    if (!item.picture.isNull()) {
      if (state.selected && !state.grayed) {
        canvas.drawImage(QPoint(left + 2, top + 2), item.picture);
      } else {
        canvas.drawImage(QPoint(left + 3, top + 3),
                         state.grayed ? DisabledPicture(item.picture) : item.picture);
      }
    }
  } catch (...) {
  }
}

void Open1MeasureItem(int& width, int& height) {
  width += 6;
  height += 2;
}

}  // namespace tarvolen
