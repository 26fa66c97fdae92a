#include "shell/chart_view.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <optional>

#include "render/painter_canvas.h"

namespace tarvolen {
namespace {

// The single border around the chart's client area.
constexpr int kBorder = 1;
const QColor kBorderColor(100, 100, 100);

// The chart's button for a Qt button; other buttons (back, forward...) play no part.
std::optional<TMouseButton> ChartButton(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return TMouseButton::mbLeft;
    case Qt::RightButton:
      return TMouseButton::mbRight;
    case Qt::MiddleButton:
      return TMouseButton::mbMiddle;
    default:
      return std::nullopt;
  }
}

}  // namespace

TChartView::TChartView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

TChartView::~TChartView() {
  if (chart_) chart_->SetChangeHandler(nullptr);
}

void TChartView::SetChart(TChart* chart) {
  if (chart_) chart_->SetChangeHandler(nullptr);
  chart_ = chart;
  // Changes never draw at once: they ask for a paint, which draws one frame for all of them.
  if (chart_) chart_->SetChangeHandler([this] { update(); });
  update();
}

QPoint TChartView::ClientPoint(const QPointF& widget_point) const {
  return widget_point.toPoint() - QPoint(kBorder, kBorder);
}

void TChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(kBorderColor);
  painter.drawRect(0, 0, width() - 1, height() - 1);
  if (!chart_) return;
  const Size client{width() - 2 * kBorder, height() - 2 * kBorder};
  if (client.width <= 0 || client.height <= 0) return;
  if (chart_->NeedsFrame(client)) ++frames_drawn_;
  painter.translate(kBorder, kBorder);
  render::PaintChart(painter, *chart_, frame_, client);
}

void TChartView::FollowCursor() {
  if (chart_) {
    setCursor(chart_->CurrentCursor() == TCursor::crCross ? Qt::CrossCursor : Qt::ArrowCursor);
  }
}

void TChartView::mousePressEvent(QMouseEvent* event) {
  if (!chart_) return;
  if (event->button() == Qt::RightButton) right_scrolled_ = false;
  const auto button = ChartButton(event->button());
  if (!button) return;
  const QPoint p = ClientPoint(event->position());
  chart_->MouseDown(*button, p.x(), p.y());
  FollowCursor();
  update();
}

void TChartView::mouseMoveEvent(QMouseEvent* event) {
  if (!chart_) return;
  const std::uint64_t before = chart_->Version();
  const QPoint p = ClientPoint(event->position());
  chart_->MouseMove(p.x(), p.y());
  if ((event->buttons() & Qt::RightButton) && chart_->Version() != before) right_scrolled_ = true;
  FollowCursor();
  update();
}

void TChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (!chart_) return;
  const auto button = ChartButton(event->button());
  if (!button) return;
  const QPoint p = ClientPoint(event->position());
  chart_->MouseUp(*button, p.x(), p.y());
  FollowCursor();
  update();
  // The pop-up menu opens on the right-button release, unless that button just scrolled.
  if (event->button() == Qt::RightButton && !right_scrolled_ && popup_menu_) {
    popup_menu_->exec(event->globalPosition().toPoint());
  }
}

void TChartView::wheelEvent(QWheelEvent* event) {
  if (!chart_) return;
  // Fine-grained wheels and touch pads report parts of a step: they add up to whole steps.
  wheel_remainder_ += event->angleDelta().y();
  const int steps = wheel_remainder_ / 120;
  wheel_remainder_ -= steps * 120;
  if (steps != 0) {
    chart_->MouseWheel(steps);
    update();
  }
  event->accept();
}

void TChartView::contextMenuEvent(QContextMenuEvent* event) {
  // Mouse requests are handled on release; this serves the keyboard's menu key.
  if (event->reason() != QContextMenuEvent::Mouse && popup_menu_) {
    popup_menu_->exec(event->globalPos());
  }
  event->accept();
}

}  // namespace tarvolen
