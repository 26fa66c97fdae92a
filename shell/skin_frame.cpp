#include "shell/skin_frame.h"

#include <algorithm>
#include <array>

#include <QApplication>
#include <QPainter>

#include "shell/skin_painting.h"
#include "shell/skin_resources.h"

namespace tarvolen {
namespace {

// Pixels a 6 × 6 rounded corner takes off the first rows counted from the edge.
constexpr std::array<int, 2> kCornerInsets = {2, 1};

}  // namespace

QRegion WindowShapeRegion(QSize window_size) {
  const int w = window_size.width();
  const int h = window_size.height();
  if (w <= 0 || h <= 0) return {};
  QRegion region(0, 0, w, h);
  for (int row = 0; row < static_cast<int>(kCornerInsets.size()) && row < h; ++row) {
    const int inset = std::min(kCornerInsets[row], w);
    for (int y : {row, h - 1 - row}) {
      region -= QRegion(0, y, inset, 1);
      region -= QRegion(w - inset, y, inset, 1);
    }
  }
  return region;
}

QRect TitleCaptionRect(TitleCaptionStyle style, int title_height) {
  const int right = style == TitleCaptionStyle::kCreation ? 234 : 134;
  return QRect(QPoint(34, 2), QPoint(right - 1, title_height - 1));
}

QFont TitleCaptionFont(TitleCaptionStyle style) {
  QFont font = QApplication::font();
  if (style == TitleCaptionStyle::kCreation) {
    font.setPointSize(11);
    font.setBold(true);
  }
  return font;
}

void DrawTitleIcon(QImage& title, const QImage& icon) {
  if (title.isNull() || icon.isNull()) return;
  QPainter painter(&title);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRect(10, 5, 16, 16), icon);
}

void DrawTitleCaption(QImage& title, const QString& caption, TitleCaptionStyle style) {
  if (title.isNull()) return;
  QPainter painter(&title);
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setPen(Qt::white);
  painter.setFont(TitleCaptionFont(style));
  painter.drawText(TitleCaptionRect(style, title.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}

TFramePictures BuildFramePictures(const TSkinPictures& skin, int window_width,
                                  const QImage& icon, const QString& caption,
                                  TitleCaptionStyle style) {
  TFramePictures frame;
  frame.Image1 = StretchSkinStrip(QSize(window_width, kTitleHeight), skin.ImageTop, 100, 25);
  frame.Image2 =
      StretchSkinStrip(QSize(window_width, kBottomFrameHeight), skin.ImageBottom, 100, 69);
  frame.Image3 = StretchSkinStrip(QSize(window_width, kMenuBarHeight), skin.ImageMenu, 10, 28);
  DrawTitleIcon(frame.Image1, icon);
  DrawTitleCaption(frame.Image1, caption, style);
  return frame;
}

TCaptionButtonPlaces CaptionButtonPlaces(int window_width) {
  return TCaptionButtonPlaces{QPoint(window_width - 100, 1), QPoint(window_width - 74, 1),
                              QPoint(window_width - 48, 1)};
}

}  // namespace tarvolen
