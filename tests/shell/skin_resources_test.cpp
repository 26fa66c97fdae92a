#include "shell/skin_resources.h"

#include <gtest/gtest.h>

#include <vector>

#include "image_test_util.h"
#include "shell/skin_painting.h"

namespace tarvolen {
namespace {

using test::Hex;

struct Stored {
  QString path;
  QSize size;
};

TEST(SkinResources, EveryPictureHasItsStoredSize) {
  std::vector<Stored> pictures = {
      {":/skin/ImageTop.png", {900, 25}},     {":/skin/ImageBottom.png", {200, 30}},
      {":/skin/ImageMenu.png", {66, 115}},    {":/skin/ImageM.png", {122, 62}},
      {":/skin/ImageTool.png", {2, 57}},      {":/skin/Image9.png", {8, 530}},
      {":/skin/Image10.png", {8, 530}},       {":/skin/Image4.png", {2, 57}},
      {":/skin/ImageListMenu.png", {224, 16}},
      {ToolPicturePath(ToolPicture::kLoadData), {32, 32}},
      {ToolPicturePath(ToolPicture::kSaveResult), {32, 32}},
      {ToolPicturePath(ToolPicture::kSaveFigure), {32, 32}},
      {ToolPicturePath(ToolPicture::kManual), {32, 32}},
      {ToolPicturePath(ToolPicture::kHome), {30, 35}},
      {":/icon/tarvolen-16.png", {16, 16}},   {":/icon/tarvolen-256.png", {256, 256}},
      {EquationPicturePath(Model::kLinear), {70, 25}},
      {EquationPicturePath(Model::kQuadratic), {106, 25}},
      {EquationPicturePath(Model::kCompound), {56, 25}},
      {EquationPicturePath(Model::kLogarithmic), {89, 25}},
      {EquationPicturePath(Model::kExponential), {59, 25}},
      {EquationPicturePath(Model::kPower), {56, 25}},
      {EquationPicturePath(Model::kGeometric), {61, 25}},
      {EquationPicturePath(Model::kGeometric2), {66, 25}},
      {EquationPicturePath(Model::kInverse), {72, 42}},
      {EquationPicturePath(Model::kHyperbola), {72, 42}},
  };
  for (const Stored& stored : pictures) {
    EXPECT_EQ(QImage(stored.path).size(), stored.size) << stored.path.toStdString();
  }
}

TEST(SkinResources, LoadedSkinHasFourteenMenuPicturesWithTheUsedOnesDrawn) {
  const TSkinPictures skin = LoadSkinPictures();
  EXPECT_FALSE(skin.ImageTop.isNull());
  EXPECT_FALSE(skin.Image4.isNull());
  ASSERT_EQ(skin.ImageListMenu.size(), std::size_t(kImageListMenuCount));
  for (int index : {kMenuPictureLoadData, kMenuPictureSaveResult, kMenuPictureSaveFigure}) {
    const QImage& picture = skin.ImageListMenu[index];
    EXPECT_EQ(picture.size(), QSize(16, 16));
    int opaque = 0;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) opaque += qAlpha(picture.pixel(x, y)) == 255;
    }
    EXPECT_GT(opaque, 40) << index;
  }
}

TEST(SkinResources, EquationsAreBlackOnWhite) {
  for (int m = 1; m <= kModelCount; ++m) {
    const QImage picture(EquationPicturePath(static_cast<Model>(m)));
    int black = 0;
    for (int y = 0; y < picture.height(); ++y) {
      for (int x = 0; x < picture.width(); ++x) {
        const QRgb p = picture.pixel(x, y);
        ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << m << " at " << x << "," << y;
        black += qGray(p) < 64;
      }
    }
    EXPECT_EQ(picture.pixelColor(0, picture.height() - 1), QColor(Qt::white)) << m;
    EXPECT_GT(black, 20) << m;
  }
}

TEST(SkinResources, CaptionButtonStatesLookDifferent) {
  const QImage image_m(":/skin/ImageM.png");
  for (auto [x, w] : {std::pair{0, 27}, std::pair{52, 42}}) {
    const QImage normal = image_m.copy(x, 0, w, 20);
    const QImage hover = image_m.copy(x, 21, w, 20);
    const QImage pressed = image_m.copy(x, 42, w, 20);
    EXPECT_NE(normal, hover) << x;
    EXPECT_NE(hover, pressed) << x;
    EXPECT_NE(normal, pressed) << x;
  }
}

TEST(SkinResources, MenuBarBackgroundMatchesTheMenuStrip) {
  const QImage image_menu(":/skin/ImageMenu.png");
  for (int y = 0; y < 28; ++y) {
    EXPECT_EQ(Hex(image_menu.pixel(1, kMenuFaceNormalTop + y)), Hex(image_menu.pixel(1, y))) << y;
  }
}

TEST(SkinResources, ApplicationIconOffersSixteenAndLarger) {
  const QIcon icon = ApplicationIcon();
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(256, 256)));
  EXPECT_EQ(ApplicationIconPicture().size(), QSize(16, 16));
}

}  // namespace
}  // namespace tarvolen
