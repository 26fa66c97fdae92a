#pragma once

#include <functional>

#include <QImage>
#include <QProxyStyle>
#include <QToolButton>
#include <QWidget>

#include "shell/skin_painting.h"

class QMenu;
class QStyleOptionMenuItem;

namespace tarvolen {

// A tool bar strip whose background is painted by `OnCustomDraw` with the whole strip as the
// rectangle (e.g. ToolBar1CustomDraw or ToolBar2CustomDraw); its buttons are child widgets
// placed where the layout puts them and paint themselves afterwards.
class TSkinToolBar : public QWidget {
  Q_OBJECT

 public:
  explicit TSkinToolBar(QWidget* parent = nullptr);

  std::function<void(QPainter& canvas, const QRect& rect)> OnCustomDraw;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A menu bar button ("File", "Help"), 65 × 28, painted by ToolBar1CustomDrawButton from the
// faces of `image_menu`: hot while the mouse is over it, selected while pressed or while its
// menu is open. Pressing it drops its menu down under it.
class TSkinMenuBarButton : public QToolButton {
  Q_OBJECT

 public:
  TSkinMenuBarButton(const QString& caption, QImage image_menu, QWidget* parent = nullptr);

  // Makes `menu` the button's drop-down menu. When the menu closes the button is hot only if
  // the mouse is over it: the open menu took the mouse, so the button saw no leaving.
  void SetDropDownMenu(QMenu* menu);

  TToolButtonState State() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage image_menu_;
  bool hot_ = false;
};

// Paints the items of the menus it is set on with Open1AdvancedDrawItem and sizes them with
// Open1MeasureItem; the menu's panel is white inside a one-pixel frame. Item pictures come from
// the actions' icons at 16 × 16. The style must outlive the menus that use it.
class TSkinMenuStyle : public QProxyStyle {
  Q_OBJECT

 public:
  TSkinMenuStyle();

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget = nullptr) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
};

// The colour of the menu panel's frame.
inline const QColor kMenuPanelFrame{154, 168, 182};

// What the item painter gets for one Qt menu item.
TMenuItemDraw MenuItemFromOption(const QStyleOptionMenuItem& option);

}  // namespace tarvolen
