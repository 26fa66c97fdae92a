#include "shell/skin_frame.h"

#include <gtest/gtest.h>

#include <vector>

#include "image_test_util.h"
#include "shell/skin_resources.h"

namespace tarvolen {
namespace {

using test::Solid;

TEST(WindowShapeRegion, CoversTheWindowWithEachCornerRounded) {
  const QSize size(796, 613);
  const QRegion region = WindowShapeRegion(size);
  EXPECT_EQ(region.boundingRect(), QRect(0, 0, 796, 613));
  struct Corner {
    int x_from, x_step, y_from, y_step;
  };
  const std::vector<Corner> corners = {{0, 1, 0, 1}, {795, -1, 0, 1}, {0, 1, 612, -1},
                                       {795, -1, 612, -1}};
  for (const Corner& c : corners) {
    const auto at = [&](int dx, int dy) { return QPoint(c.x_from + dx * c.x_step, c.y_from + dy * c.y_step); };
    SCOPED_TRACE(testing::Message() << "corner " << c.x_from << "," << c.y_from);
    for (QPoint cut : {at(0, 0), at(1, 0), at(0, 1)}) EXPECT_FALSE(region.contains(cut));
    for (QPoint kept : {at(2, 0), at(1, 1), at(0, 2)}) EXPECT_TRUE(region.contains(kept));
  }
  long area = 0;
  for (const QRect& r : region) area += long(r.width()) * r.height();
  EXPECT_EQ(area, 796L * 613 - 4 * 3);
}

TEST(WindowShapeRegion, EmptyWindowHasNoShape) {
  EXPECT_TRUE(WindowShapeRegion(QSize(0, 613)).isEmpty());
}

TEST(CaptionButtonPlaces, SitOneBelowTheTopAtFixedDistancesFromTheRight) {
  const TCaptionButtonPlaces places = CaptionButtonPlaces(796);
  EXPECT_EQ(places.ImgBtnMin, QPoint(696, 1));
  EXPECT_EQ(places.ImgBtnMax, QPoint(722, 1));
  EXPECT_EQ(places.ImgBtnClose, QPoint(748, 1));
}

// The box around the caption's bright pixels on a dark title, right of the icon.
QRect Caption(const QImage& title) {
  return test::PixelsWhere(title, [](QRgb c) { return qGray(c) > 128; }, 30);
}

TEST(BuildFramePictures, StretchesTheThreeStripsAndDrawsIconAndCaption) {
  TSkinPictures skin;
  skin.ImageTop = Solid({900, 25}, QColor(20, 30, 40));
  skin.ImageBottom = Solid({200, 30}, QColor(1, 2, 3));
  skin.ImageMenu = Solid({66, 115}, QColor(4, 5, 6));
  const QImage icon = Solid({16, 16}, QColor(200, 100, 0));

  for (TitleCaptionStyle style : {TitleCaptionStyle::kCreation, TitleCaptionStyle::kResize}) {
    const TFramePictures frame = BuildFramePictures(skin, 796, icon, "Tarvolen 4.1", style);
    EXPECT_EQ(frame.Image1.size(), QSize(796, 25));
    EXPECT_EQ(frame.Image2.size(), QSize(796, 30));
    EXPECT_EQ(frame.Image3.size(), QSize(796, 28));
    EXPECT_EQ(frame.Image2.pixelColor(795, 29), QColor(1, 2, 3));
    EXPECT_EQ(frame.Image3.pixelColor(400, 27), QColor(4, 5, 6));

    EXPECT_EQ(frame.Image1.pixelColor(10, 5), QColor(200, 100, 0));
    EXPECT_EQ(frame.Image1.pixelColor(25, 20), QColor(200, 100, 0));
    EXPECT_EQ(frame.Image1.pixelColor(9, 5), QColor(20, 30, 40));
    EXPECT_EQ(frame.Image1.pixelColor(26, 21), QColor(20, 30, 40));

    const QRect caption = Caption(frame.Image1);
    const QRect allowed = TitleCaptionRect(style, 25);
    ASSERT_FALSE(caption.isEmpty());
    EXPECT_TRUE(allowed.contains(caption)) << caption.x() << "," << caption.width();
    EXPECT_LE(caption.left(), 37);  // left-aligned
    EXPECT_NEAR(caption.center().y(), (2 + 24) / 2.0, 2.5);  // vertically centred
  }
}

TEST(BuildFramePictures, CreationCaptionIsBoldAndWider) {
  TSkinPictures skin;
  skin.ImageTop = Solid({900, 25}, QColor(20, 30, 40));
  const auto caption_width = [&](TitleCaptionStyle style) {
    return Caption(BuildFramePictures(skin, 796, QImage(), "Tarvolen 4.1", style).Image1).width();
  };
  EXPECT_GT(caption_width(TitleCaptionStyle::kCreation),
            caption_width(TitleCaptionStyle::kResize));
  EXPECT_TRUE(TitleCaptionFont(TitleCaptionStyle::kCreation).bold());
  EXPECT_EQ(TitleCaptionFont(TitleCaptionStyle::kCreation).pointSize(), 11);
  EXPECT_EQ(TitleCaptionRect(TitleCaptionStyle::kCreation, 25), QRect(34, 2, 200, 23));
  EXPECT_EQ(TitleCaptionRect(TitleCaptionStyle::kResize, 25), QRect(34, 2, 100, 23));
}

}  // namespace
}  // namespace tarvolen
