#include "shell/skin_painting.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <vector>

#include "image_test_util.h"
#include "shell/MyImgBtn.h"

namespace tarvolen {
namespace {

using test::Canvas;
using test::Hex;
using test::Numbered;
using test::Solid;

struct StripUse {
  const char* name;
  QSize source;
  QSize target;
  int cap;
  int copy_height;
};

TEST(StretchSkinStrip, EndsAreCopiedAndTheMiddleRepeatsTheColumnAfterTheLeftCap) {
  const std::vector<StripUse> uses = {
      {"title", {900, 25}, {796, 25}, 100, 25},
      {"bottom frame, copy height beyond the picture", {200, 30}, {796, 30}, 100, 69},
      {"menu bar, taller source", {66, 115}, {796, 28}, 10, 28},
  };
  for (const StripUse& use : uses) {
    const QImage source = Numbered(use.source.width(), use.source.height());
    const QImage strip = StretchSkinStrip(use.target, source, use.cap, use.copy_height);
    ASSERT_EQ(strip.size(), use.target) << use.name;
    const int w = use.target.width();
    for (int y = 0; y < use.target.height(); ++y) {
      for (int x = 0; x < w; ++x) {
        int from = use.cap;
        if (x < use.cap) from = x;
        if (x >= w - use.cap) from = use.source.width() - (w - x);
        ASSERT_EQ(Hex(strip.pixel(x, y)), Hex(source.pixel(from, y)))
            << use.name << " at " << x << "," << y;
      }
    }
  }
}

TEST(StretchSkinStrip, RowsBeyondTheCopyOrTheSourceStayEmpty) {
  const QImage source = Numbered(50, 10);
  const QImage short_copy = StretchSkinStrip({120, 20}, source, 10, 6);
  EXPECT_EQ(qAlpha(short_copy.pixel(60, 5)), 255);
  EXPECT_EQ(qAlpha(short_copy.pixel(60, 6)), 0);
  const QImage short_source = StretchSkinStrip({120, 20}, source, 10, 69);
  EXPECT_EQ(qAlpha(short_source.pixel(5, 9)), 255);
  EXPECT_EQ(qAlpha(short_source.pixel(5, 10)), 0);
  EXPECT_EQ(qAlpha(short_source.pixel(115, 19)), 0);
}

TEST(StretchSkinStrip, NarrowTargetEndsWithTheRightCap) {
  const QImage source = Numbered(50, 4);
  const QImage strip = StretchSkinStrip({15, 4}, source, 10, 4);
  EXPECT_EQ(Hex(strip.pixel(0, 0)), Hex(source.pixel(0, 0)));
  EXPECT_EQ(Hex(strip.pixel(5, 0)), Hex(source.pixel(40, 0)));
  EXPECT_EQ(Hex(strip.pixel(14, 3)), Hex(source.pixel(49, 3)));
}

TEST(StretchSkinStrip, PictureControlGetsTheStripAtItsOwnSize) {
  TImage target;
  target.resize(300, 25);
  StretchSkinStrip(target, Numbered(900, 25), 100, 25);
  EXPECT_EQ(target.Picture().Image().size(), QSize(300, 25));
  EXPECT_FALSE(target.Picture().Transparent());
}

struct Slice {
  const char* name;
  int w, x;
};

TEST(SliceButtonStates, CutsTheThreeCellsOfAColumnAndMarksThemTransparent) {
  const QImage image_m = Numbered(122, 62);
  for (const Slice& slice : {Slice{"minimise", 27, 0}, Slice{"close", 42, 52}}) {
    TImgBtn button;
    const TPicture disabled(Solid({5, 5}, Qt::gray));
    button.SetPicDisable(disabled);
    SliceButtonStates(button, image_m, slice.w, 20, slice.x, 0);
    EXPECT_EQ(button.Pic().Image(), image_m.copy(slice.x, 0, slice.w, 20)) << slice.name;
    EXPECT_EQ(button.PicUp().Image(), image_m.copy(slice.x, 21, slice.w, 20)) << slice.name;
    EXPECT_EQ(button.PicDown().Image(), image_m.copy(slice.x, 42, slice.w, 20)) << slice.name;
    EXPECT_TRUE(button.Picture() == button.Pic()) << slice.name;
    EXPECT_TRUE(button.PicDisable() == disabled) << slice.name;
    for (const TPicture* p : {&button.Pic(), &button.PicUp(), &button.PicDown()}) {
      EXPECT_TRUE(p->Transparent()) << slice.name;
      EXPECT_EQ(p->TransparentColor(), p->Image().pixel(0, 19)) << slice.name;
    }
  }
}

TEST(ToolBarBackgrounds, EveryColumnIsTheSkinColumn) {
  const QImage image_menu = Numbered(66, 115);
  const QImage image_tool = Numbered(2, 57);
  QImage bar1 = Canvas({785, 28});
  QImage bar2 = Canvas({780, 57});
  {
    QPainter p1(&bar1);
    ToolBar1CustomDraw(p1, bar1.rect(), image_menu);
    QPainter p2(&bar2);
    ToolBar2CustomDraw(p2, bar2.rect(), image_tool);
  }
  for (int x : {0, 1, 400, 784}) {
    for (int y = 0; y < 28; ++y) {
      ASSERT_EQ(Hex(bar1.pixel(x, y)), Hex(image_menu.pixel(1, 29 + y))) << x << "," << y;
    }
  }
  for (int x : {0, 779}) {
    for (int y = 0; y < 57; ++y) {
      ASSERT_EQ(Hex(bar2.pixel(x, y)), Hex(image_tool.pixel(1, y))) << x << "," << y;
    }
  }
}

TEST(ToolBarBackgrounds, RowsTheSkinLacksAreLeftAlone) {
  QImage bar = Canvas({20, 80});
  {
    QPainter p(&bar);
    ToolBar2CustomDraw(p, bar.rect(), Numbered(2, 57));
  }
  EXPECT_EQ(Hex(bar.pixel(3, 56)), Hex(Numbered(2, 57).pixel(1, 56)));
  EXPECT_EQ(bar.pixelColor(3, 57), QColor(255, 0, 255));
}

struct FaceCase {
  TToolButtonState state;
  int face_top;
};

TEST(ToolBar1CustomDrawButton, CopiesTwoEdgeColumnsEachSideAndStretchesTheMiddle) {
  const QImage image_menu = Numbered(66, 115);
  const std::vector<FaceCase> cases = {{{false, false}, 29},
                                       {{true, false}, 58},
                                       {{false, true}, 88},
                                       {{true, true}, 58}};  // hot wins over selected
  const int left = 77;
  for (const FaceCase& c : cases) {
    QImage canvas = Canvas({200, 28});
    {
      QPainter p(&canvas);
      ToolBar1CustomDrawButton(p, QRect(left, 0, 65, 28), c.state, QString(), MenuBarFont(),
                               image_menu);
    }
    const auto face = [&](int column, int row) { return Hex(image_menu.pixel(column, c.face_top + row)); };
    for (int row = 0; row < 27; ++row) {
      SCOPED_TRACE(testing::Message() << "face " << c.face_top << " row " << row);
      EXPECT_EQ(Hex(canvas.pixel(left, row)), face(0, row));
      EXPECT_EQ(Hex(canvas.pixel(left + 1, row)), face(1, row));
      EXPECT_EQ(Hex(canvas.pixel(left + 62, row)), face(62, row));
      EXPECT_EQ(Hex(canvas.pixel(left + 63, row)), face(63, row));
      for (int x = left + 2; x <= left + 61; ++x) {
        ASSERT_EQ(Hex(canvas.pixel(x, row)), face(56 + (x - left - 2) / 12, row)) << "x " << x;
      }
    }
    EXPECT_EQ(canvas.pixelColor(left + 64, 5), QColor(255, 0, 255)) << "column 65 is not painted";
    EXPECT_EQ(canvas.pixelColor(left - 1, 5), QColor(255, 0, 255));
  }
}

TEST(ToolBar1CustomDrawButton, SelectedFaceLeavesTheRowTheSkinLacksUnpainted) {
  QImage canvas = Canvas({65, 28});
  {
    QPainter p(&canvas);
    ToolBar1CustomDrawButton(p, QRect(0, 0, 65, 28), {false, true}, QString(), MenuBarFont(),
                             Numbered(66, 115));
  }
  EXPECT_EQ(canvas.pixelColor(30, 27), QColor(255, 0, 255));
}

TEST(ToolBar1CustomDrawButton, CaptionIsWhiteAndCentred) {
  QImage canvas = Canvas({65, 28});
  {
    QPainter p(&canvas);
    ToolBar1CustomDrawButton(p, canvas.rect(), {}, "File", MenuBarFont(),
                             Solid({66, 115}, Qt::black));
  }
  const QRect white = test::PixelsWhere(canvas, [](QRgb c) {
    return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) > 128;
  });
  ASSERT_FALSE(white.isEmpty());
  EXPECT_NEAR(white.center().x(), 32, 2);
  EXPECT_NEAR(white.center().y(), 15, 2);  // centred in the bounds lowered by 2
}

// ---- drop-down menu items --------------------------------------------------------------------

const QRect kItem(0, 0, 120, 22);

QImage DrawItem(const TMenuItemDraw& item, TOwnerDrawState state, QRect rect = kItem) {
  QImage canvas = Canvas(rect.size() + QSize(rect.x(), rect.y()));
  QPainter p(&canvas);
  Open1AdvancedDrawItem(item, p, rect, state);
  return canvas;
}

TEST(Open1AdvancedDrawItem, SeparatorIsOnePixelLineAboveTheMiddle) {
  TMenuItemDraw separator;
  separator.caption = "-";
  for (int height : {9, 10, 22, 23}) {
    const QRect rect(4, 7, 120, height);
    const QImage canvas = DrawItem(separator, {}, rect);
    const int line = 7 + height / 2 - 1;
    SCOPED_TRACE(testing::Message() << "height " << height);
    for (int x = 4 + 23; x < 4 + 120 - 2; ++x) ASSERT_EQ(canvas.pixelColor(x, line), kMenuSeparator);
    EXPECT_NE(canvas.pixelColor(4 + 22, line), kMenuSeparator);
    EXPECT_NE(canvas.pixelColor(4 + 118, line), kMenuSeparator);
    EXPECT_NE(canvas.pixelColor(60, line - 1), kMenuSeparator);
    EXPECT_NE(canvas.pixelColor(60, line + 1), kMenuSeparator);
  }
}

struct ItemColours {
  const char* name;
  TOwnerDrawState state;
  bool separator;
  QColor frame, background, gutter;
};

TEST(Open1AdvancedDrawItem, ColoursFrameAndGutterFollowTheState) {
  const std::vector<ItemColours> cases = {
      {"normal", {false, false}, false, kMenuItemBackground, kMenuItemBackground, kMenuGutter},
      {"selected", {true, false}, false, kMenuSelectedFrame, kMenuSelectedBackground,
       kMenuSelectedBackground},
      {"grayed", {false, true}, false, kMenuGrayed, kMenuGrayed, kMenuGutter},
      {"grayed and selected", {true, true}, false, kMenuGrayed, kMenuGrayed, kMenuGutter},
      {"grayed separator", {false, true}, true, kMenuItemBackground, kMenuItemBackground,
       kMenuGutter},
      {"selected separator", {true, false}, true, kMenuSelectedFrame, kMenuSelectedBackground,
       kMenuSelectedBackground},
  };
  for (const ItemColours& c : cases) {
    TMenuItemDraw item;
    item.caption = c.separator ? "-" : "";
    const QImage canvas = DrawItem(item, c.state);
    EXPECT_EQ(canvas.pixelColor(119, 11), c.frame) << c.name;
    EXPECT_EQ(canvas.pixelColor(60, 0), c.frame) << c.name;
    EXPECT_EQ(canvas.pixelColor(60, 21), c.frame) << c.name;
    EXPECT_EQ(canvas.pixelColor(100, 4), c.background) << c.name;
    EXPECT_EQ(canvas.pixelColor(1, 11), c.gutter) << c.name;
    EXPECT_EQ(canvas.pixelColor(19, 11), c.gutter) << c.name;
    EXPECT_NE(canvas.pixelColor(20, 11), kMenuGutter) << c.name;
  }
}

struct PictureCase {
  const char* name;
  TOwnerDrawState state;
  QPoint at;
  bool plain;
};

TEST(Open1AdvancedDrawItem, PictureMovesUpAndLeftWhenHighlighted) {
  TMenuItemDraw item;
  item.picture = Solid({16, 16}, Qt::red);
  const std::vector<PictureCase> cases = {
      {"normal", {false, false}, {3, 3}, true},
      {"selected", {true, false}, {2, 2}, true},
      {"grayed", {false, true}, {3, 3}, false},
      {"grayed and selected", {true, true}, {3, 3}, false},
  };
  for (const PictureCase& c : cases) {
    const QImage canvas = DrawItem(item, c.state);
    const QColor inside = canvas.pixelColor(c.at);
    EXPECT_EQ(inside == QColor(Qt::red), c.plain) << c.name;
    EXPECT_NE(inside, canvas.pixelColor(c.at - QPoint(1, 1))) << c.name << ": top-left";
    EXPECT_EQ(canvas.pixelColor(c.at + QPoint(15, 15)), inside) << c.name << ": bottom-right";
    EXPECT_NE(canvas.pixelColor(c.at + QPoint(16, 16)), inside) << c.name << ": beyond";
  }
}

// The box around every pixel darker than `limit`.
QRect DarkPixels(const QImage& canvas, int limit) {
  return test::PixelsWhere(canvas, [limit](QRgb c) { return qGray(c) < limit; });
}

TEST(Open1AdvancedDrawItem, CaptionStartsAtTheGutterEdgeAndShortcutEndsTenPixelsShort) {
  TMenuItemDraw caption_only;
  caption_only.caption = "Load Data";
  const QRect caption = DarkPixels(DrawItem(caption_only, {}), 100);
  ASSERT_FALSE(caption.isEmpty());
  EXPECT_GE(caption.left(), 24);
  EXPECT_LE(caption.left(), 27);
  EXPECT_GE(caption.top(), 3);

  TMenuItemDraw shortcut_only;
  shortcut_only.shortcut = "Ctrl+O";
  const QRect shortcut = DarkPixels(DrawItem(shortcut_only, {}), 100);
  ASSERT_FALSE(shortcut.isEmpty());
  EXPECT_LE(shortcut.right(), 120 - 10 - 1);
  EXPECT_GE(shortcut.right(), 120 - 10 - 3);
}

TEST(Open1AdvancedDrawItem, GrayedCaptionIsNotBlack) {
  TMenuItemDraw item;
  item.caption = "Save Figure";
  EXPECT_FALSE(DarkPixels(DrawItem(item, {false, false}), 60).isEmpty());
  EXPECT_TRUE(DarkPixels(DrawItem(item, {false, true}), 60).isEmpty());
  EXPECT_FALSE(DarkPixels(DrawItem(item, {false, true}), 200).isEmpty());
}

TEST(Open1AdvancedDrawItem, CheckMarkSitsInTheGutter) {
  for (bool radio : {false, true}) {
    TMenuItemDraw item;
    item.checked = true;
    item.radio = radio;
    const QRect mark = DarkPixels(DrawItem(item, {}), 100);
    ASSERT_FALSE(mark.isEmpty()) << radio;
    EXPECT_TRUE(QRect(2, 0, 18, 22).contains(mark)) << radio;
  }
  TMenuItemDraw unchecked;
  EXPECT_TRUE(DarkPixels(DrawItem(unchecked, {}), 100).isEmpty());
}

TEST(Open1MeasureItem, AddsSixToTheWidthAndTwoToTheHeight) {
  int width = 80;
  int height = 19;
  Open1MeasureItem(width, height);
  EXPECT_EQ(width, 86);
  EXPECT_EQ(height, 21);
}

TEST(MenuBarFont, IsTwelvePixelsInAnInstalledFace) {
  const QFont font = MenuBarFont();
  EXPECT_EQ(font.pixelSize(), 12);
  EXPECT_TRUE(QFontInfo(font).exactMatch() || !QFontInfo(font).family().isEmpty());
}

}  // namespace
}  // namespace tarvolen
