#pragma once

#include <functional>

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QPainter;

namespace tarvolen {

// A picture as the skin keeps it: a bitmap, optionally marked transparent. A transparent picture
// is drawn with its automatic transparent colour, the colour of its own bottom-left pixel, left
// out wherever it occurs. Copies are cheap (the bitmap is shared until written).
class TPicture {
 public:
  TPicture() = default;
  explicit TPicture(QImage image, bool transparent = false);

  bool Empty() const { return image_.isNull(); }
  int Width() const { return image_.width(); }
  int Height() const { return image_.height(); }
  const QImage& Image() const { return image_; }

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent) { transparent_ = transparent; }
  // The colour left out when the picture is transparent; 0 for an empty picture.
  QRgb TransparentColor() const;

  // Draws the picture unscaled with its top-left corner at `at`. An empty picture draws nothing.
  void Draw(QPainter& painter, QPoint at) const;
  // Draws the picture scaled to fill `target`.
  void StretchDraw(QPainter& painter, const QRect& target) const;

  // The picture as it looks when drawn: the transparent colour turned fully transparent.
  QImage Rendered() const;

  friend bool operator==(const TPicture& a, const TPicture& b) {
    return a.transparent_ == b.transparent_ && a.image_ == b.image_;
  }

 private:
  QImage image_;
  bool transparent_ = false;
};

// A picture control without a frame or background of its own: it paints its picture at its
// top-left corner, unscaled (or scaled to its size with `Stretch`), so its parent shows through
// wherever the picture does not reach or is transparent. It offers the ordinary click: a left
// press on the control followed by a left release inside it.
class TImage : public QWidget {
  Q_OBJECT

 public:
  explicit TImage(QWidget* owner = nullptr);

  const TPicture& Picture() const { return picture_; }
  // Shows a copy of `picture` and repaints.
  void SetPicture(const TPicture& picture);

  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);

  QSize sizeHint() const override;

  // Fired on a completed click, on a double click and on any button press; unassigned events
  // are skipped. The handlers may delete the control.
  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  std::function<void(QMouseEvent& event)> OnMousePress;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TPicture picture_;
  bool stretch_ = false;
  bool click_armed_ = false;
};

}  // namespace tarvolen
