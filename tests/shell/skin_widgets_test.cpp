#include "shell/skin_widgets.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <vector>

#include "image_test_util.h"

namespace tarvolen {
namespace {

using test::Hex;
using test::Numbered;

TEST(TSkinToolBar, PaintsItsBackgroundOverTheWholeStrip) {
  TSkinToolBar bar;
  bar.resize(300, 57);
  std::vector<QRect> painted;
  const QImage image_tool = Numbered(2, 57);
  bar.OnCustomDraw = [&](QPainter& canvas, const QRect& rect) {
    painted.push_back(rect);
    ToolBar2CustomDraw(canvas, rect, image_tool);
  };
  const QImage shot = bar.grab().toImage();
  ASSERT_FALSE(painted.empty());
  EXPECT_EQ(painted.back(), QRect(0, 0, 300, 57));
  EXPECT_EQ(Hex(shot.pixel(150, 30)), Hex(image_tool.pixel(1, 30)));
}

TEST(TSkinMenuBarButton, HotWhileTheMouseIsOverItAndHotWinsOverPressed) {
  const QImage image_menu = Numbered(66, 115);
  TSkinMenuBarButton button("File", image_menu);
  EXPECT_EQ(button.size(), QSize(65, 28));
  EXPECT_FALSE(button.State().hot);

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(&button, &enter);
  button.setDown(true);
  EXPECT_TRUE(button.State().hot);
  EXPECT_TRUE(button.State().selected);
  const QImage shot = button.grab().toImage();
  EXPECT_EQ(Hex(shot.pixel(0, 10)), Hex(image_menu.pixel(0, kMenuFaceHotTop + 10)));

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  EXPECT_FALSE(button.State().hot);
  const QImage pressed = button.grab().toImage();
  EXPECT_EQ(Hex(pressed.pixel(0, 10)), Hex(image_menu.pixel(0, kMenuFaceSelectedTop + 10)));
}

TEST(TSkinMenuBarButton, SelectedWhileItsMenuIsOpen) {
  TSkinMenuBarButton button("Help", Numbered(66, 115));
  QMenu menu;
  menu.addAction("Manual");
  button.setMenu(&menu);
  EXPECT_FALSE(button.State().selected);
  menu.popup(QPoint(0, 0));
  EXPECT_TRUE(button.State().selected);
  menu.hide();
}

struct OptionCase {
  const char* name;
  QStyleOptionMenuItem::MenuItemType type;
  QString text;
  QStyleOptionMenuItem::CheckType check;
  bool checked;
  const char* caption;
  const char* shortcut;
  bool want_checked, want_radio;
};

TEST(MenuItemFromOption, SplitsCaptionAndShortcutAndReadsTheCheckMark) {
  const std::vector<OptionCase> cases = {
      {"plain", QStyleOptionMenuItem::Normal, "&Load Data", QStyleOptionMenuItem::NotCheckable,
       false, "&Load Data", "", false, false},
      {"shortcut", QStyleOptionMenuItem::Normal, "Save Result\tCtrl+S",
       QStyleOptionMenuItem::NotCheckable, false, "Save Result", "Ctrl+S", false, false},
      {"separator", QStyleOptionMenuItem::Separator, "", QStyleOptionMenuItem::NotCheckable,
       false, "-", "", false, false},
      {"checked", QStyleOptionMenuItem::Normal, "Grid", QStyleOptionMenuItem::NonExclusive, true,
       "Grid", "", true, false},
      {"radio", QStyleOptionMenuItem::Normal, "One", QStyleOptionMenuItem::Exclusive, true, "One",
       "", true, true},
      {"unchecked", QStyleOptionMenuItem::Normal, "Two", QStyleOptionMenuItem::NonExclusive,
       false, "Two", "", false, false},
  };
  for (const OptionCase& c : cases) {
    QStyleOptionMenuItem option;
    option.menuItemType = c.type;
    option.text = c.text;
    option.checkType = c.check;
    option.checked = c.checked;
    const TMenuItemDraw item = MenuItemFromOption(option);
    EXPECT_EQ(item.caption, c.caption) << c.name;
    EXPECT_EQ(item.shortcut, c.shortcut) << c.name;
    EXPECT_EQ(item.checked, c.want_checked) << c.name;
    EXPECT_EQ(item.radio, c.want_radio) << c.name;
    EXPECT_TRUE(item.picture.isNull()) << c.name;
  }
}

TEST(TSkinMenuStyle, MenuItemsAreTwoPixelsTallerAndPaintedWithTheSkinColours) {
  TSkinMenuStyle skin_style;
  QProxyStyle plain_style;
  QMenu skinned;
  QMenu plain;
  skinned.setStyle(&skin_style);
  plain.setStyle(&plain_style);
  for (QMenu* menu : {&skinned, &plain}) {
    menu->addAction("Load Data");
    menu->addAction("Save Result");
    menu->addSeparator();
    menu->addAction("Exit");
    menu->ensurePolished();
    menu->adjustSize();
  }
  const QList<QAction*> skinned_actions = skinned.actions();
  const QList<QAction*> plain_actions = plain.actions();
  for (int i = 0; i < skinned_actions.size(); ++i) {
    EXPECT_EQ(skinned.actionGeometry(skinned_actions[i]).height(),
              plain.actionGeometry(plain_actions[i]).height() + 2)
        << i;
  }

  skinned.setActiveAction(skinned_actions[0]);
  const QImage shot = skinned.grab().toImage();
  const QRect first = skinned.actionGeometry(skinned_actions[0]);
  const QRect second = skinned.actionGeometry(skinned_actions[1]);
  EXPECT_EQ(shot.pixelColor(first.left() + 5, first.center().y()), kMenuSelectedBackground);
  EXPECT_EQ(shot.pixelColor(second.left() + 5, second.center().y()), kMenuGutter);
  EXPECT_EQ(shot.pixelColor(0, 0), kMenuPanelFrame);
}

}  // namespace
}  // namespace tarvolen
