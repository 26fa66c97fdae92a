#include "shell/picture.h"

#include <gtest/gtest.h>

#include <QTest>
#include <string>
#include <vector>

#include "image_test_util.h"

namespace tarvolen {
namespace {

using test::Solid;

TEST(TPicture, AutomaticTransparentColourIsTheBottomLeftPixel) {
  QImage image = Solid({4, 3}, Qt::white);
  image.setPixelColor(0, 2, Qt::magenta);
  image.setPixelColor(3, 0, Qt::magenta);
  const TPicture picture(image, true);
  EXPECT_EQ(picture.TransparentColor(), QColor(Qt::magenta).rgb());
  const QImage rendered = picture.Rendered();
  EXPECT_EQ(qAlpha(rendered.pixel(0, 2)), 0);
  EXPECT_EQ(qAlpha(rendered.pixel(3, 0)), 0);
  EXPECT_EQ(rendered.pixelColor(1, 1), QColor(Qt::white));
  EXPECT_EQ(TPicture(image).Rendered(), image);
  EXPECT_EQ(TPicture().TransparentColor(), 0u);
}

TEST(TImage, StretchFillsTheControl) {
  TImage image;
  image.resize(40, 10);
  image.SetPicture(TPicture(Solid({2, 2}, Qt::blue)));
  image.SetStretch(true);
  const QImage shot = image.grab().toImage();
  EXPECT_EQ(shot.pixelColor(39, 9), QColor(Qt::blue));
  EXPECT_EQ(image.sizeHint(), QSize(2, 2));
}

TEST(TImage, DoubleClickIsReportedAndItsReleaseCompletesAClick) {
  QWidget window;
  auto* image = new TImage(&window);
  image->setGeometry(0, 0, 30, 30);
  window.show();
  std::vector<std::string> seen;
  image->OnClick = [&] { seen.push_back("click"); };
  image->OnDblClick = [&] { seen.push_back("double"); };
  image->OnMousePress = [&](QMouseEvent& event) {
    seen.push_back(event.button() == Qt::LeftButton ? "left" : "right");
  };
  // The platform's double click: press, release, then a double-click event and a release.
  QTest::mouseClick(image, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(image, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseRelease(image, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseClick(image, Qt::RightButton, {}, QPoint(5, 5));
  EXPECT_EQ(seen, (std::vector<std::string>{"left", "click", "double", "left", "click", "right"}));
}

}  // namespace
}  // namespace tarvolen
