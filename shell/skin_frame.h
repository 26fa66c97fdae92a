#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>

namespace tarvolen {

struct TSkinPictures;

// The window frame as the main window rebuilds it on creation and on every size report.

// Heights of the frame pictures: title `Image1`, menu bar `Image3`, bottom frame `Image2`.
inline constexpr int kTitleHeight = 25;
inline constexpr int kMenuBarHeight = 28;
inline constexpr int kBottomFrameHeight = 30;

// The window's shape: the whole window with its four corners rounded as by 6 × 6 corner
// ellipses (the top and bottom rows lose two pixels at each end, the next rows one pixel).
// For setMask; an empty size gives an empty region.
QRegion WindowShapeRegion(QSize window_size);

// How the caption is drawn: on creation white, bold, 11 points, in (34, 2)–(234, title height);
// after a size report white in the plain default font, in (34, 2)–(134, title height). Either
// way left-aligned, vertically centred, on one line, over a transparent background.
enum class TitleCaptionStyle { kCreation, kResize };

QRect TitleCaptionRect(TitleCaptionStyle style, int title_height);
QFont TitleCaptionFont(TitleCaptionStyle style);

// Draws `icon` at (10, 5) as 16 × 16 onto the title picture.
void DrawTitleIcon(QImage& title, const QImage& icon);
void DrawTitleCaption(QImage& title, const QString& caption, TitleCaptionStyle style);

// The three stretched frame pictures for a window `window_width` wide.
struct TFramePictures {
  QImage Image1;  // title: ImageTop, caps 100, copy height 25, with icon and caption
  QImage Image2;  // bottom frame: ImageBottom, caps 100, copy height 69 (all rows)
  QImage Image3;  // menu bar: ImageMenu, caps 10, copy height 28
};

TFramePictures BuildFramePictures(const TSkinPictures& skin, int window_width,
                                  const QImage& icon, const QString& caption,
                                  TitleCaptionStyle style);

// Where the caption buttons sit, top 1: minimise at width − 100, maximise at width − 74, close
// at width − 48.
struct TCaptionButtonPlaces {
  QPoint ImgBtnMin;
  QPoint ImgBtnMax;
  QPoint ImgBtnClose;
};

TCaptionButtonPlaces CaptionButtonPlaces(int window_width);

}  // namespace tarvolen
