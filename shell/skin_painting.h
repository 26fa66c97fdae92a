#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

namespace tarvolen {

class TImage;
class TImgBtn;

// The painting of the window's own frame, tool bars and menus from the skin pictures. The
// painters (ToolBar1CustomDraw, ToolBar2CustomDraw, ToolBar1CustomDrawButton,
// Open1AdvancedDrawItem) swallow every error: a failed paint leaves what was drawn so far.

// Three-slice stretch along the width: a new picture of `target_size` whose columns 0 to c − 1
// are the source's first c columns, whose last c columns are the source's last c columns, and
// whose every column in between equals source column c; rows 0 to h − 1 are copied. Copies never
// reach beyond either picture: only rows and columns that exist in both are copied, the rest of
// the new picture is fully transparent. When the target is narrower than 2c the right end wins.
QImage StretchSkinStrip(QSize target_size, const QImage& source, int c, int h);
// The same onto a picture control: its picture becomes the strip for the control's size.
void StretchSkinStrip(TImage& target, const QImage& source, int c, int h);

// Cuts three w × h state pictures out of a vertical strip of cells separated by one-pixel
// lines: the blocks at (x, y), (x, y + h + 1) and (x, y + 2h + 2). Each is marked transparent
// (automatic colour: its own bottom-left pixel). The first becomes the button's `Pic` and its
// shown picture, the second its `PicUp`, the third its `PicDown`; `PicDisable` is left alone.
void SliceButtonStates(TImgBtn& button, const QImage& source, int w, int h, int x, int y);

// Paints the one-pixel column of `source` at x, from row y down, over `rect`: every column of
// the rectangle equals that source column. Rows the source does not have are left unpainted.
void StretchSkinColumn(QPainter& canvas, const QRect& rect, const QImage& source, int x, int y);

// Menu bar background: the column of `image_menu` at x 1 from y 29 over `rect` (pass the whole
// tool bar, not just the damaged part: rows are taken from the rectangle's top).
void ToolBar1CustomDraw(QPainter& canvas, const QRect& rect, const QImage& image_menu) noexcept;
// Command tool bar background: the column of `image_tool` at x 1 from y 0 over `rect`.
void ToolBar2CustomDraw(QPainter& canvas, const QRect& rect, const QImage& image_tool) noexcept;

// The rows of `image_menu` that hold the three menu bar button faces, each 64 × 28.
inline constexpr int kMenuFaceNormalTop = 29;
inline constexpr int kMenuFaceHotTop = 58;
inline constexpr int kMenuFaceSelectedTop = 88;
inline constexpr int kMenuFaceWidth = 64;
inline constexpr int kMenuFaceHeight = 28;

struct TToolButtonState {
  bool hot = false;       // the mouse is over the button
  bool selected = false;  // pressed, or its menu is open
};

// Top row of the face for a button state: hot wins over selected.
int MenuFaceTop(TToolButtonState state);

// A menu bar button ("File", "Help") at `bounds` (65 wide; the face covers 64 columns and 28
// rows from the top): face columns 0 to 4 and 59 to 63 are copied to the button's ends, face
// columns 56 to 60 stretched over its columns 2 to 61, leaving two edge columns on each side.
// The caption is drawn white, centred on one line in `bounds` lowered by 2, in `font`, with an
// ampersand underlining the next character. Face rows `image_menu` lacks are left unpainted.
void ToolBar1CustomDrawButton(QPainter& canvas, const QRect& bounds, TToolButtonState state,
                              const QString& caption, const QFont& font,
                              const QImage& image_menu) noexcept;

// The menu bar's font: "宋体" at 12 pixels where that face is installed, else the application's
// default face at 12 pixels.
QFont MenuBarFont();

// Drop-down menu item colours.
inline const QColor kMenuItemBackground{255, 255, 255};
inline const QColor kMenuGutter{226, 238, 238};
inline const QColor kMenuSelectedBackground{193, 210, 238};
inline const QColor kMenuSelectedFrame{0, 128, 192};
inline const QColor kMenuSeparator{212, 208, 200};
inline const QColor kMenuGrayed{249, 248, 247};
QColor MenuGrayedText();  // the system's button-shadow colour

// What the menu item painter needs of an item.
struct TMenuItemDraw {
  QString caption;   // "-" for a separator; an ampersand underlines the next character
  QString shortcut;  // empty when the item has none
  bool checked = false;
  bool radio = false;
  QImage picture;    // 16 × 16 from the menu image list; null when the item has none
};

struct TOwnerDrawState {
  bool selected = false;
  bool grayed = false;
};

// Paints one drop-down menu item into `rect`: a one-pixel frame around the background (white;
// selected: light blue in a blue frame; grayed items other than separators: pale grey), the
// icon gutter (the 20 leftmost columns) unless the item is selected and not grayed, then either
// the separator line (one pixel high, from 23 pixels right of the left edge to 2 pixels short
// of the right edge, one row above the vertical middle) or the caption at (left + 24, top + 3),
// the shortcut right-aligned 10 pixels short of the right edge, and the check mark. Last the
// picture: at (left + 2, top + 2) when selected and not grayed, else at (left + 3, top + 3),
// drawn disabled when grayed. Text uses the painter's font.
void Open1AdvancedDrawItem(const TMenuItemDraw& item, QPainter& canvas, const QRect& rect,
                           TOwnerDrawState state) noexcept;

// Widens a measured menu item by 6 and heightens it by 2.
void Open1MeasureItem(int& width, int& height);

// A picture as a disabled menu item shows it: grey, faded.
QImage DisabledPicture(const QImage& picture);

}  // namespace tarvolen
