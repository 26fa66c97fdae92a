#pragma once

#include <QImage>
#include <QWidget>

#include "plot/chart.h"

class QMenu;

namespace tarvolen {

// The window's chart control `Chart1`: shows a TChart inside a single one-pixel border. Frames
// are drawn into an off-screen picture kept between paints and drawn anew only when the chart
// changed or the size did; a paint with no change only copies the stored picture. Mouse presses,
// moves, releases and the wheel go to the chart's zoom and scroll; a right-button release that
// did not scroll opens the pop-up menu.
class TChartView : public QWidget {
  Q_OBJECT

 public:
  explicit TChartView(QWidget* parent = nullptr);
  ~TChartView() override;

  void SetChart(TChart* chart);
  TChart* Chart() const { return chart_; }
  void SetPopupMenu(QMenu* menu) { popup_menu_ = menu; }
  QMenu* PopupMenu() const { return popup_menu_; }

  // How many frames were drawn into the stored picture so far.
  int FramesDrawn() const { return frames_drawn_; }
  // The picture the last paint showed, without the border.
  const QImage& StoredFrame() const { return frame_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QPoint ClientPoint(const QPointF& widget_point) const;
  void FollowCursor();

  TChart* chart_ = nullptr;
  QMenu* popup_menu_ = nullptr;
  QImage frame_;
  int frames_drawn_ = 0;
  bool right_scrolled_ = false;
  int wheel_remainder_ = 0;  // eighths of a degree not yet a whole step
};

}  // namespace tarvolen
