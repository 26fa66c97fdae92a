#include "shell/skin_widgets.h"

#include <QCursor>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace tarvolen {

TSkinToolBar::TSkinToolBar(QWidget* parent) : QWidget(parent) {}

void TSkinToolBar::paintEvent(QPaintEvent*) {
  if (!OnCustomDraw) return;
  QPainter canvas(this);
  OnCustomDraw(canvas, rect());
}

TSkinMenuBarButton::TSkinMenuBarButton(const QString& caption, QImage image_menu, QWidget* parent)
    : QToolButton(parent), image_menu_(std::move(image_menu)) {
  setText(caption);
  setFont(MenuBarFont());
  setAutoRaise(true);
  setPopupMode(QToolButton::InstantPopup);
  setFixedSize(65, kMenuFaceHeight);
}

void TSkinMenuBarButton::SetDropDownMenu(QMenu* menu) {
  setMenu(menu);
  // Opened from the keyboard the button is not pressed: it shows the open menu all the same.
  connect(menu, &QMenu::aboutToShow, this, qOverload<>(&QWidget::update));
  connect(menu, &QMenu::aboutToHide, this, [this] {
    hot_ = rect().contains(mapFromGlobal(QCursor::pos()));
    update();
  });
}

TToolButtonState TSkinMenuBarButton::State() const {
  return TToolButtonState{hot_, isDown() || (menu() != nullptr && menu()->isVisible())};
}

void TSkinMenuBarButton::paintEvent(QPaintEvent*) {
  QPainter canvas(this);
  ToolBar1CustomDrawButton(canvas, rect(), State(), text(), font(), image_menu_);
}

void TSkinMenuBarButton::enterEvent(QEnterEvent* event) {
  hot_ = true;
  QToolButton::enterEvent(event);
  update();
}

void TSkinMenuBarButton::leaveEvent(QEvent* event) {
  hot_ = false;
  QToolButton::leaveEvent(event);
  update();
}

TMenuItemDraw MenuItemFromOption(const QStyleOptionMenuItem& option) {
  TMenuItemDraw item;
  if (option.menuItemType == QStyleOptionMenuItem::Separator) {
    item.caption = QStringLiteral("-");
    return item;
  }
  const qsizetype tab = option.text.indexOf(QLatin1Char('\t'));
  item.caption = tab < 0 ? option.text : option.text.left(tab);
  item.shortcut = tab < 0 ? QString() : option.text.mid(tab + 1);
  item.checked = option.checkType != QStyleOptionMenuItem::NotCheckable && option.checked;
  item.radio = option.checkType == QStyleOptionMenuItem::Exclusive;
  if (!option.icon.isNull()) {
    item.picture = option.icon.pixmap(QSize(16, 16), 1.0).toImage();
  }
  return item;
}

TSkinMenuStyle::TSkinMenuStyle() = default;

void TSkinMenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
  if (element == CE_MenuItem) {
    if (const auto* menu_item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
      painter->setFont(menu_item->font);
      const TOwnerDrawState state{(option->state & State_Selected) != 0,
                                  (option->state & State_Enabled) == 0};
      Open1AdvancedDrawItem(MenuItemFromOption(*menu_item), *painter, option->rect, state);
      return;
    }
  }
  if (element == CE_MenuEmptyArea) {
    painter->fillRect(option->rect, kMenuItemBackground);
    return;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void TSkinMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const {
  if (element == PE_PanelMenu || element == PE_FrameMenu) {
    if (element == PE_PanelMenu) painter->fillRect(option->rect, kMenuItemBackground);
    painter->save();
    painter->setPen(QPen(kMenuPanelFrame, 0));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
    painter->restore();
    return;
  }
  QProxyStyle::drawPrimitive(element, option, painter, widget);
}

QSize TSkinMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                       const QSize& size, const QWidget* widget) const {
  QSize measured = QProxyStyle::sizeFromContents(type, option, size, widget);
  if (type == CT_MenuItem) {
    int width = measured.width();
    int height = measured.height();
    Open1MeasureItem(width, height);
    measured = QSize(width, height);
  }
  return measured;
}

int TSkinMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
  switch (metric) {
    case PM_MenuPanelWidth:
      return 1;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
      return 1;
    case PM_SmallIconSize:
      return 16;
    default:
      return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

}  // namespace tarvolen
