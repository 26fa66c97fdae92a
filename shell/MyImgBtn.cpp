#include "shell/MyImgBtn.h"

#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>

namespace tarvolen {

TImgBtn::TImgBtn(QWidget* owner) : TImage(owner) {}

void TImgBtn::SetEnabled(bool value) {
  QWidget::setEnabled(value);
  enabled_ = value;
  Show(value ? pic_up_ : pic_disable_);
}

void TImgBtn::SetPic(const TPicture& picture) {
  pic_ = picture;
  Show(pic_);
}

void TImgBtn::SetPicDown(const TPicture& picture) { pic_down_ = picture; }

void TImgBtn::SetPicUp(const TPicture& picture) { pic_up_ = picture; }

void TImgBtn::SetPicDisable(const TPicture& picture) {
  pic_disable_ = picture;
  if (!enabled_) Show(pic_disable_);
}

void TImgBtn::PointerOver(bool over, const TWMMouse& msg) {
  if (over == pointer_over_) return;
  pointer_over_ = over;
  if (over) {
    MouseEnters(msg);
  } else {
    MouseLeaves(msg);
  }
}

void TImgBtn::MouseEnters(const TWMMouse& msg) {
  if (!GateOpen()) return;
  mouse_inside_ = true;
  Show(held_ ? pic_down_ : pic_up_);
  if (OnMouseEnter) OnMouseEnter(msg);
}

void TImgBtn::MouseLeaves(const TWMMouse& msg) {
  if (!GateOpen()) return;
  mouse_inside_ = false;
  Show(pic_);
  if (OnMouseLeave) OnMouseLeave(msg);
}

void TImgBtn::enterEvent(QEnterEvent* event) {
  TImage::enterEvent(event);
  PointerOver(true, TWMMouse{event->position().toPoint(), QGuiApplication::mouseButtons(),
                              QGuiApplication::keyboardModifiers()});
}

void TImgBtn::leaveEvent(QEvent* event) {
  TImage::leaveEvent(event);
  PointerOver(false, TWMMouse{mapFromGlobal(QCursor::pos()), QGuiApplication::mouseButtons(),
                               QGuiApplication::keyboardModifiers()});
}

void TImgBtn::mouseMoveEvent(QMouseEvent* event) {
  TImage::mouseMoveEvent(event);
  // Without mouse tracking, moves arrive only while a button holds the mouse on the control,
  // and then the platform reports no enter or leave: the edge crossings are found here.
  const QPoint pos = event->position().toPoint();
  PointerOver(rect().contains(pos), TWMMouse{pos, event->buttons(), event->modifiers()});
}

void TImgBtn::mousePressEvent(QMouseEvent* event) {
  QPointer<TImgBtn> self(this);
  TImage::mousePressEvent(event);
  if (!self || event->button() != Qt::LeftButton) return;
  const TWMMouse msg{event->position().toPoint(), event->buttons(), event->modifiers()};
  // A press is over the control: an enter the platform did not report happens now.
  PointerOver(true, msg);
  if (!self || !GateOpen()) return;
  held_ = true;
  if (mouse_inside_) Show(pic_down_);
  if (OnMouseDown) OnMouseDown(msg);
}

void TImgBtn::mouseReleaseEvent(QMouseEvent* event) {
  QPointer<TImgBtn> self(this);
  TImage::mouseReleaseEvent(event);  // fires the click first
  if (!self || event->button() != Qt::LeftButton) return;
  const TWMMouse msg{event->position().toPoint(), event->buttons(), event->modifiers()};
  if (!GateOpen()) return;
  held_ = false;
  if (mouse_inside_) Show(pic_up_);
  if (OnMouseUp) OnMouseUp(msg);
}

}  // namespace tarvolen
