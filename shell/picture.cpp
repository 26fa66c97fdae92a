#include "shell/picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace tarvolen {

TPicture::TPicture(QImage image, bool transparent)
    : image_(std::move(image)), transparent_(transparent) {}

QRgb TPicture::TransparentColor() const {
  if (Empty()) return 0;
  return image_.pixel(0, image_.height() - 1);
}

QImage TPicture::Rendered() const {
  if (Empty() || !transparent_) return image_;
  const QRgb key = TransparentColor() | 0xFF000000u;
  QImage out = image_.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
    }
  }
  return out;
}

void TPicture::Draw(QPainter& painter, QPoint at) const {
  if (Empty()) return;
  painter.drawImage(at, Rendered());
}

void TPicture::StretchDraw(QPainter& painter, const QRect& target) const {
  if (Empty()) return;
  painter.drawImage(target, Rendered());
}

TImage::TImage(QWidget* owner) : QWidget(owner) {}

void TImage::SetPicture(const TPicture& picture) {
  picture_ = picture;
  update();
}

void TImage::SetStretch(bool stretch) {
  stretch_ = stretch;
  update();
}

QSize TImage::sizeHint() const {
  return picture_.Empty() ? QSize(0, 0) : picture_.Image().size();
}

void TImage::paintEvent(QPaintEvent*) {
  if (picture_.Empty()) return;
  QPainter painter(this);
  if (stretch_) {
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    picture_.StretchDraw(painter, rect());
  } else {
    picture_.Draw(painter, QPoint(0, 0));
  }
}

void TImage::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) click_armed_ = true;
  if (OnMousePress) OnMousePress(*event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool click = click_armed_ && rect().contains(event->position().toPoint());
  click_armed_ = false;
  if (click && OnClick) OnClick();
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click is also a press, so its release completes a click as usual.
  QPointer<TImage> self(this);
  if (event->button() == Qt::LeftButton && OnDblClick) OnDblClick();
  if (self) mousePressEvent(event);
}

}  // namespace tarvolen
