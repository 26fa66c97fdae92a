#pragma once

#include <functional>

#include <QPoint>

#include "shell/picture.h"

class QEnterEvent;

namespace tarvolen {

// The mouse message an image button hands to its events: the mouse position in the control's
// coordinates and the buttons and modifier keys held at that moment.
struct TWMMouse {
  QPoint Pos;
  Qt::MouseButtons Buttons;
  Qt::KeyboardModifiers Keys;
};

using TOnMouseEvent = std::function<void(const TWMMouse& Msg)>;

// A button made of pictures: `Pic` at rest, `PicUp` while the mouse is over it, `PicDown` while
// the left button is held on it with the mouse inside, `PicDisable` while disabled.
//
//   resting (outside)  shows Pic         mouse enters: hover, or pressed if still held
//   hover              shows PicUp       left down: pressed;  mouse leaves: resting
//   pressed            shows PicDown     left up: hover;      mouse leaves: held outside
//   held outside       shows Pic         mouse enters: pressed; left up: resting
//   disabled           shows PicDisable  enabling shows PicUp, even with the mouse outside
//
// While `Enabled()` is false or `Supported` is false, mouse entry, exit and the left button
// change no flag and no picture and fire none of the four mouse events. The click (the base's
// `OnClick`) fires on a left release inside the control after a left press on it, before the
// release changes the picture; it still fires while `Supported` is false, and never while the
// control is disabled (a disabled widget gets no mouse input).
class TImgBtn : public TImage {
  Q_OBJECT

 public:
  explicit TImgBtn(QWidget* owner = nullptr);

  // The control's own enabled state. Setting it enables or disables the widget, then shows
  // `PicUp` (true) or `PicDisable` (false). Use this, not QWidget::setEnabled, which bypasses it.
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);

  // The four pictures are copies owned by the control.
  const TPicture& Pic() const { return pic_; }
  const TPicture& PicDown() const { return pic_down_; }
  const TPicture& PicUp() const { return pic_up_; }
  const TPicture& PicDisable() const { return pic_disable_; }
  // Stores a copy and shows it.
  void SetPic(const TPicture& picture);
  // Store a copy; the shown picture does not change.
  void SetPicDown(const TPicture& picture);
  void SetPicUp(const TPicture& picture);
  // Stores a copy and shows it only while the control is disabled.
  void SetPicDisable(const TPicture& picture);

  // Whether the mouse is over the control and whether the left button is held on it, as the
  // picture logic sees them (neither changes while the gate is closed).
  bool MouseInside() const { return mouse_inside_; }
  bool Held() const { return held_; }

  // Called after the picture change of the matching step; unassigned events are skipped.
  TOnMouseEvent OnMouseDown;
  TOnMouseEvent OnMouseEnter;
  TOnMouseEvent OnMouseLeave;
  TOnMouseEvent OnMouseUp;
  bool Supported = true;

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool GateOpen() const { return enabled_ && Supported; }
  void Show(const TPicture& picture) { SetPicture(picture); }
  // Follows the pointer across the control's edge, once per crossing, also while a button
  // holds the mouse on the control (the platform then reports no enter or leave of its own).
  void PointerOver(bool over, const TWMMouse& msg);
  void MouseEnters(const TWMMouse& msg);
  void MouseLeaves(const TWMMouse& msg);

  bool mouse_inside_ = false;
  bool held_ = false;
  bool pointer_over_ = false;
  TPicture pic_;
  TPicture pic_down_;
  TPicture pic_up_;
  TPicture pic_disable_;
  bool enabled_ = true;
};

}  // namespace tarvolen
