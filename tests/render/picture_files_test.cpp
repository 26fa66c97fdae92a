#include "render/picture_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "five_points_chart.h"

namespace tarvolen::render {
namespace {

namespace fs = std::filesystem;

// What an SVG drawing holds: its circles, the vertices of each stroked path, its texts.
struct SvgContent {
  QString view_box;
  int circles = 0;
  std::vector<std::vector<QPointF>> paths;
  QStringList texts;
};

SvgContent ReadSvg(const std::string& svg) {
  SvgContent content;
  QXmlStreamReader xml(QByteArray::fromStdString(svg));
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto name = xml.name();
    if (name == u"svg") content.view_box = xml.attributes().value("viewBox").toString();
    if (name == u"circle" || name == u"ellipse") ++content.circles;
    if (name == u"text") content.texts << xml.readElementText();
    if (name == u"path") {
      auto& vertices = content.paths.emplace_back();
      static const QRegularExpression kPoint(R"(([-\d.]+),([-\d.]+))");
      const QString d = xml.attributes().value("d").toString();
      for (const auto& match : kPoint.globalMatch(d)) {
        vertices.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
      }
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return content;
}

// The path of the fitted curve: the one with more than a few vertices.
const std::vector<QPointF>* CurvePath(const SvgContent& content) {
  const std::vector<QPointF>* curve = nullptr;
  for (const auto& path : content.paths) {
    if (path.size() > 10) {
      EXPECT_EQ(curve, nullptr) << "more than one long path";
      curve = &path;
    }
  }
  return curve;
}

// How many pixels of two pictures differ clearly (beyond the smoothing of edges).
int DifferingPixels(const QImage& a, const QImage& b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y);
      const QRgb q = b.pixel(x, y);
      const int distance = std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                           std::abs(qBlue(p) - qBlue(q));
      if (distance > 96) ++count;
    }
  }
  return count;
}

TEST(SaveChartPicture, WritesEachFormatOfTheSameChart) {
  FivePoints f;
  const fs::path folder =
      fs::temp_directory_path() / ("tarvolen-pictures-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const QImage screen = RenderChartImage(f.chart);
  for (const PictureFormat format : {PictureFormat::kBmp, PictureFormat::kPng}) {
    const std::string file = (folder / (std::string("figure") + PictureExtension(format))).string();
    SaveChartPicture(f.chart, file, format);
    QImage read;
    ASSERT_TRUE(read.load(QString::fromStdString(file))) << file;
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), screen) << file;
  }

  const std::string file = (folder / "figure.svg").string();
  SaveChartPicture(f.chart, file, PictureFormat::kSvg);
  const std::string svg = ReadWholeFile(file);
  const SvgContent content = ReadSvg(svg);
  EXPECT_EQ(content.view_box, "0 0 303 245");
  EXPECT_EQ(content.circles, 5);  // one marker a point
  const std::vector<QPointF>* curve = CurvePath(content);
  ASSERT_NE(curve, nullptr);
  EXPECT_EQ(curve->size(), 101u);  // every sample, in one path
  EXPECT_TRUE(content.texts.contains("X") && content.texts.contains("Y"));
  EXPECT_TRUE(content.texts.contains("3"));  // an axis label

  // Drawn by a viewer, it shows what the screen shows, up to the smoothing of edges.
  QSvgRenderer renderer(QByteArray::fromStdString(svg));
  ASSERT_TRUE(renderer.isValid());
  QImage drawn(screen.size(), QImage::Format_RGB32);
  drawn.fill(Qt::white);
  {
    QPainter painter(&drawn);
    renderer.render(&painter);
  }
  EXPECT_LT(DifferingPixels(screen, drawn), screen.width() * screen.height() / 50);
  fs::remove_all(folder);
}

// The SVG writer drops clipping: the drawing cuts the curve at the plot rectangle itself.
TEST(ChartSvg, AZoomedChartKeepsTheCurveInsideThePlot) {
  FivePoints f;
  f.chart.MouseDown(TMouseButton::mbLeft, 100, 80);
  f.chart.MouseMove(200, 160);
  f.chart.MouseUp(TMouseButton::mbLeft, 200, 160);
  ASSERT_FALSE(f.chart.BottomAxis().Automatic);
  const SvgContent content = ReadSvg(ChartSvg(f.chart));
  const Rect plot = f.chart.ChartRect();
  const std::vector<QPointF>* curve = CurvePath(content);
  ASSERT_NE(curve, nullptr);
  for (const QPointF& p : *curve) {
    EXPECT_TRUE(p.x() >= plot.left && p.x() <= plot.right && p.y() >= plot.top &&
                p.y() <= plot.bottom)
        << p.x() << ", " << p.y();
  }
  EXPECT_LT(content.circles, 5);
}

// A million points would otherwise write a million circles: the drawing keeps one a place.
TEST(ChartSvg, HoldsOneMarkerForPointsThatFallOnOnePlace) {
  TChart chart;
  ConfigureChart1(chart);
  GridTable grid;
  grid.SetRowCount(2001);
  for (int row = 1; row <= 2000; ++row) {
    grid.SetCell(1, row, std::to_string(row % 5));
    grid.SetCell(2, row, std::to_string(row % 5 * 2));
  }
  PlotDataPoints(chart, grid, '.', nullptr);
  RenderChartImage(chart);
  EXPECT_EQ(ReadSvg(ChartSvg(chart)).circles, 5);
}

}  // namespace
}  // namespace tarvolen::render
