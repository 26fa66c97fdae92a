#include "pictures.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <cmath>
#include <functional>
#include <memory>

#include "skin_style.h"

namespace skin {
namespace {

QColor Mix(const QColor& a, const QColor& b, double t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                          a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t);
}

// Blends `over` with opacity `alpha` onto `base`, as an opaque colour.
QColor Over(const QColor& base, const QColor& over, double alpha) { return Mix(base, over, alpha); }

QImage Opaque(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QImage Clear(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

void FillRow(QImage& image, int y, const QColor& color, int from = 0, int to = -1) {
  if (to < 0) to = image.width() - 1;
  for (int x = from; x <= to; ++x) image.setPixelColor(x, y, color);
}

void FillColumn(QImage& image, int x, const QColor& color, int from = 0, int to = -1) {
  if (to < 0) to = image.height() - 1;
  for (int y = from; y <= to; ++y) image.setPixelColor(x, y, color);
}

// Title bar colour of row y (0 to 24): the outer edge, a highlight, then the gradient.
QColor TitleRow(int y) {
  if (y <= 0) return kEdge;
  if (y == 1) return kTitleHighlight;
  return Mix(kTitleTop, kTitleBottom, (y - 2) / 22.0);
}

// Menu bar colour of row y (0 to 27): the gradient, then a dark line.
QColor MenuRow(int y) {
  if (y >= 27) return kMenuLine;
  return Mix(kMenuTop, kMenuBottom, y / 26.0);
}

QColor GradientRow(const QColor& top, const QColor& bottom, int y, int rows) {
  return Mix(top, bottom, rows <= 1 ? 0.0 : double(y) / (rows - 1));
}

QPen Stroke(const QColor& color, double width) {
  QPen pen(color, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

// ---- icon shapes, drawn in a 32-unit square -------------------------------------------------

void Page(QPainter& p, QRectF r, const QColor& border) {
  QPainterPath page;
  const double fold = r.width() * 0.3;
  page.moveTo(r.left(), r.top());
  page.lineTo(r.right() - fold, r.top());
  page.lineTo(r.right(), r.top() + fold);
  page.lineTo(r.right(), r.bottom());
  page.lineTo(r.left(), r.bottom());
  page.closeSubpath();
  p.setPen(Stroke(border, 2));
  p.setBrush(Qt::white);
  p.drawPath(page);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  p.setBrush(kBody);
  p.drawPath(corner);
}

void TextLines(QPainter& p, double left, double top, double width, int count, const QColor& c) {
  p.setPen(Stroke(c, 2));
  for (int i = 0; i < count; ++i) {
    const double w = (i % 2 == 1) ? width * 0.7 : width;
    p.drawLine(QPointF(left, top + i * 4), QPointF(left + w, top + i * 4));
  }
}

void Folder(QPainter& p, QRectF r) {
  // Back of the folder with its tab.
  QPainterPath back;
  back.moveTo(r.left(), r.top() + 3);
  back.lineTo(r.left() + r.width() * 0.38, r.top() + 3);
  back.lineTo(r.left() + r.width() * 0.46, r.top() + 7);
  back.lineTo(r.right(), r.top() + 7);
  back.lineTo(r.right(), r.bottom());
  back.lineTo(r.left(), r.bottom());
  back.closeSubpath();
  p.setPen(Stroke(kAmber.darker(135), 2));
  p.setBrush(kAmber);
  p.drawPath(back);
}

void FolderFront(QPainter& p, QRectF r) {
  QPainterPath front;
  front.moveTo(r.left() + 4, r.top() + 12);
  front.lineTo(r.right() + 2, r.top() + 12);
  front.lineTo(r.right() - 2, r.bottom());
  front.lineTo(r.left(), r.bottom());
  front.closeSubpath();
  QLinearGradient g(0, r.top() + 12, 0, r.bottom());
  g.setColorAt(0, kAmberLight);
  g.setColorAt(1, kAmber);
  p.setPen(Stroke(kAmber.darker(135), 2));
  p.setBrush(g);
  p.drawPath(front);
}

void Disk(QPainter& p, QRectF r, const QColor& color) {
  QPainterPath body;
  const double cut = r.width() * 0.18;
  body.moveTo(r.left() + 2, r.top());
  body.lineTo(r.right() - cut, r.top());
  body.lineTo(r.right(), r.top() + cut);
  body.lineTo(r.right(), r.bottom() - 2);
  body.quadTo(r.right(), r.bottom(), r.right() - 2, r.bottom());
  body.lineTo(r.left() + 2, r.bottom());
  body.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 2);
  body.lineTo(r.left(), r.top() + 2);
  body.quadTo(r.left(), r.top(), r.left() + 2, r.top());
  p.setPen(Stroke(color.darker(140), 2));
  p.setBrush(color);
  p.drawPath(body);
  // Shutter at the top, label below.
  p.setPen(Qt::NoPen);
  p.setBrush(color.lighter(150));
  p.drawRect(QRectF(r.left() + r.width() * 0.28, r.top() + 1, r.width() * 0.42, r.height() * 0.28));
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(r.left() + r.width() * 0.16, r.top() + r.height() * 0.48,
                           r.width() * 0.68, r.height() * 0.44),
                    1.5, 1.5);
}

void ChartCard(QPainter& p, QRectF r) {
  p.setPen(Stroke(kBlue.darker(120), 2));
  p.setBrush(Qt::white);
  p.drawRoundedRect(r, 2.5, 2.5);
  p.setPen(Stroke(kInk, 2));
  p.drawLine(QPointF(r.left() + 4, r.top() + 4), QPointF(r.left() + 4, r.bottom() - 4));
  p.drawLine(QPointF(r.left() + 4, r.bottom() - 4), QPointF(r.right() - 3, r.bottom() - 4));
  QPainterPath curve;
  curve.moveTo(r.left() + 6, r.bottom() - 7);
  curve.cubicTo(r.left() + r.width() * 0.45, r.bottom() - 8, r.left() + r.width() * 0.55,
                r.top() + 6, r.right() - 4, r.top() + 5);
  p.setPen(Stroke(kRed, 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
}

void Book(QPainter& p, QRectF r) {
  p.setPen(Stroke(kTeal.darker(140), 2));
  p.setBrush(kTeal);
  p.drawRoundedRect(r, 2.5, 2.5);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(r.left() + 4, r.bottom() - 5, r.width() - 6, 3));
  p.setBrush(kTeal.darker(125));
  p.drawRect(QRectF(r.left() + 1, r.top() + 1, 3, r.height() - 2));
}

void QuestionMark(QPainter& p, QPointF centre, double size, const QColor& color) {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setBold(true);
  font.setPixelSize(int(size));
  p.setFont(font);
  p.setPen(color);
  p.drawText(QRectF(centre.x() - size, centre.y() - size, 2 * size, 2 * size), Qt::AlignCenter,
             QStringLiteral("?"));
}

void House(QPainter& p, QRectF r) {
  // Roof over a light body with a door.
  const double roof_bottom = r.top() + r.height() * 0.45;
  QPainterPath body;
  body.addRect(QRectF(r.left() + r.width() * 0.14, roof_bottom - 1, r.width() * 0.72,
                      r.bottom() - roof_bottom + 1));
  p.setPen(Stroke(kInk, 2));
  p.setBrush(kBodyLight);
  p.drawPath(body);
  p.setBrush(kBlue);
  p.setPen(Stroke(kBlue.darker(140), 2));
  p.drawRect(QRectF(r.center().x() - r.width() * 0.12, r.bottom() - r.height() * 0.32,
                    r.width() * 0.24, r.height() * 0.32));
  QPainterPath roof;
  roof.moveTo(r.left(), roof_bottom + 1);
  roof.lineTo(r.center().x(), r.top());
  roof.lineTo(r.right(), roof_bottom + 1);
  p.setPen(Stroke(kRed.darker(130), 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(roof);
}

void Printer(QPainter& p) {
  p.setPen(Stroke(kInk, 2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 4, 14, 10));
  p.setBrush(QColor(0x8C, 0x9A, 0xA8));
  p.drawRoundedRect(QRectF(4, 12, 24, 11), 2, 2);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 19, 14, 9));
}

void Door(QPainter& p) {
  p.setPen(Stroke(kInk, 2));
  p.setBrush(kBody);
  p.drawRect(QRectF(5, 4, 14, 24));
  p.setPen(Stroke(kRed, 3));
  p.drawLine(QPointF(13, 16), QPointF(28, 16));
  p.drawLine(QPointF(23, 11), QPointF(28, 16));
  p.drawLine(QPointF(23, 21), QPointF(28, 16));
}

void Circle(QPainter& p, const QColor& color) {
  p.setPen(Stroke(color.darker(130), 2));
  p.setBrush(color);
  p.drawEllipse(QRectF(3, 3, 26, 26));
}

void Magnifier(QPainter& p) {
  p.setPen(Stroke(kInk, 3));
  p.drawLine(QPointF(19, 19), QPointF(28, 28));
  p.setPen(Stroke(kBlue.darker(130), 2));
  p.setBrush(kBlueLight.lighter(140));
  p.drawEllipse(QRectF(3, 3, 18, 18));
}

void Grid(QPainter& p) {
  p.setPen(Stroke(kInk, 2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4, 5, 24, 22));
  p.setPen(Qt::NoPen);
  p.setBrush(kBlueLight);
  p.drawRect(QRectF(5, 6, 22, 6));
  p.setPen(Stroke(kInk, 2));
  p.drawLine(QPointF(12, 6), QPointF(12, 26));
  p.drawLine(QPointF(5, 12), QPointF(27, 12));
  p.drawLine(QPointF(5, 19), QPointF(27, 19));
}

void Clipboard(QPainter& p) {
  p.setPen(Stroke(kAmber.darker(150), 2));
  p.setBrush(QColor(0xC8, 0x9B, 0x5E));
  p.drawRoundedRect(QRectF(5, 5, 22, 24), 2, 2);
  p.setPen(Stroke(kInk, 2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(9, 9, 14, 16));
  p.setBrush(kBody);
  p.drawRoundedRect(QRectF(11, 3, 10, 5), 1.5, 1.5);
}

// One 32-unit icon by name; `unit` scales it into the target.
using IconDrawer = std::function<void(QPainter&)>;

IconDrawer IconByName(const QString& name) {
  if (name == "new") {
    return [](QPainter& p) {
      Page(p, QRectF(7, 3, 18, 26), kInk);
      TextLines(p, 11, 13, 10, 3, kBlueLight);
    };
  }
  if (name == "open") {
    return [](QPainter& p) {
      Folder(p, QRectF(2, 4, 26, 24));
      p.setPen(Stroke(kInk, 2));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(8, 8, 17, 13));
      TextLines(p, 11, 12, 11, 2, kBlue);
      FolderFront(p, QRectF(2, 4, 26, 24));
    };
  }
  if (name == "save") {
    return [](QPainter& p) {
      Disk(p, QRectF(3, 3, 26, 26), kBlue);
      TextLines(p, 10, 19, 12, 2, kInk);
    };
  }
  if (name == "copy") {
    return [](QPainter& p) {
      Page(p, QRectF(4, 3, 15, 20), kInk);
      Page(p, QRectF(13, 9, 15, 20), kInk);
      TextLines(p, 16, 18, 8, 2, kBlueLight);
    };
  }
  if (name == "print") return [](QPainter& p) { Printer(p); };
  if (name == "save-figure") {
    return [](QPainter& p) {
      ChartCard(p, QRectF(2, 2, 24, 20));
      Disk(p, QRectF(15, 14, 15, 15), kBlue);
    };
  }
  if (name == "exit") return [](QPainter& p) { Door(p); };
  if (name == "help") {
    return [](QPainter& p) {
      Circle(p, kBlue);
      QuestionMark(p, QPointF(16, 16.5), 20, Qt::white);
    };
  }
  if (name == "home") return [](QPainter& p) { House(p, QRectF(2, 3, 28, 26)); };
  if (name == "chart") return [](QPainter& p) { ChartCard(p, QRectF(3, 4, 26, 24)); };
  if (name == "grid") return [](QPainter& p) { Grid(p); };
  if (name == "paste") return [](QPainter& p) { Clipboard(p); };
  if (name == "zoom") return [](QPainter& p) { Magnifier(p); };
  if (name == "info") {
    return [](QPainter& p) {
      Circle(p, kTeal);
      p.setPen(Stroke(Qt::white, 3));
      p.drawLine(QPointF(16, 14), QPointF(16, 23));
      p.drawPoint(QPointF(16, 9));
    };
  }
  if (name == "manual") {
    return [](QPainter& p) {
      Book(p, QRectF(5, 2, 22, 28));
      QuestionMark(p, QPointF(17, 14), 17, Qt::white);
    };
  }
  return [](QPainter&) {};
}

QImage DrawIcon(const QString& name, QSize size, QRectF place) {
  QImage image = Clear(size.width(), size.height());
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(place.topLeft());
  p.scale(place.width() / 32.0, place.height() / 32.0);
  IconByName(name)(p);
  return image;
}

// ---- equations --------------------------------------------------------------------------------

// A tiny layout of a formula: runs of text, gaps, superscripts and fractions.
struct Box {
  enum class Kind { kText, kGap, kSup, kFrac, kRow };
  Kind kind = Kind::kRow;
  QString text;
  bool italic = false;
  double gap = 0;  // in em
  std::vector<Box> items;  // row items; a fraction holds two rows, numerator then denominator
};

Box V(const QString& t) { return Box{Box::Kind::kText, t, true, 0, {}}; }
Box U(const QString& t) { return Box{Box::Kind::kText, t, false, 0, {}}; }
Box G(double em) { return Box{Box::Kind::kGap, {}, false, em, {}}; }
Box Row(std::vector<Box> items) { return Box{Box::Kind::kRow, {}, false, 0, std::move(items)}; }
Box Sup(std::vector<Box> items) {
  return Box{Box::Kind::kSup, {}, false, 0, {Row(std::move(items))}};
}
Box Frac(std::vector<Box> num, std::vector<Box> den) {
  return Box{Box::Kind::kFrac, {}, false, 0, {Row(std::move(num)), Row(std::move(den))}};
}
// Spaced binary operators and relations, a tight multiplication dot.
Box Op(const QString& t) { return Row({G(0.2), U(t), G(0.2)}); }
Box Dot() { return Row({G(0.06), U(QStringLiteral("\u00B7")), G(0.06)}); }

struct Metrics {
  double width = 0;
  double ascent = 0;
  double descent = 0;
};

class Typesetter {
 public:
  explicit Typesetter(double px) : px_(px) {}

  QFont Font(bool italic, double px) const {
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPixelSize(std::max(1, int(std::lround(px))));
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
  }

  Metrics Measure(const Box& box, double px) const {
    switch (box.kind) {
      case Box::Kind::kText: {
        // The ink of the glyphs, so that margins and centring follow what is drawn.
        const QFontMetricsF fm(Font(box.italic, px));
        const QRectF ink = fm.tightBoundingRect(box.text);
        const double lead = std::max(0.0, -ink.left());
        return {lead + std::max(fm.horizontalAdvance(box.text), ink.right()), -ink.top(),
                std::max(0.0, ink.bottom())};
      }
      case Box::Kind::kGap:
        return {box.gap * px, 0, 0};
      case Box::Kind::kRow: {
        Metrics m;
        for (const Box& item : box.items) {
          const Metrics im = Measure(item, px);
          m.width += im.width;
          m.ascent = std::max(m.ascent, im.ascent);
          m.descent = std::max(m.descent, im.descent);
        }
        return m;
      }
      case Box::Kind::kSup: {
        const Metrics inner = Measure(box.items[0], px * kSupScale);
        return {inner.width + px * 0.05, Raise(px) + inner.ascent, 0};
      }
      case Box::Kind::kFrac: {
        const Metrics num = Measure(box.items[0], px);
        const Metrics den = Measure(box.items[1], px);
        const double axis = Axis(px);
        return {std::max(num.width, den.width) + px * 0.3,
                axis + 1.5 + num.descent + num.ascent, den.ascent + den.descent + 1.5 - axis};
      }
    }
    return {};
  }

  // Draws `box` with its baseline at `base`, starting at x; returns the x after it.
  double Draw(QPainter& p, const Box& box, double px, double x, double base) const {
    switch (box.kind) {
      case Box::Kind::kText: {
        const QFont font = Font(box.italic, px);
        const double lead = std::max(0.0, -QFontMetricsF(font).tightBoundingRect(box.text).left());
        p.setFont(font);
        p.drawText(QPointF(x + lead, base), box.text);
        return x + Measure(box, px).width;
      }
      case Box::Kind::kGap:
        return x + box.gap * px;
      case Box::Kind::kRow:
        for (const Box& item : box.items) x = Draw(p, item, px, x, base);
        return x;
      case Box::Kind::kSup:
        return Draw(p, box.items[0], px * kSupScale, x + px * 0.05, base - Raise(px));
      case Box::Kind::kFrac: {
        const Metrics all = Measure(box, px);
        const Metrics num = Measure(box.items[0], px);
        const Metrics den = Measure(box.items[1], px);
        const double bar = std::round(base - Axis(px)) + 0.5;
        p.save();
        p.setPen(QPen(Qt::black, 1.0));
        p.drawLine(QPointF(x + px * 0.1, bar), QPointF(x + all.width - px * 0.1, bar));
        p.restore();
        Draw(p, box.items[0], px, x + (all.width - num.width) / 2, bar - 2 - num.descent);
        Draw(p, box.items[1], px, x + (all.width - den.width) / 2, bar + 2 + den.ascent);
        return x + all.width;
      }
    }
    return x;
  }

  double px() const { return px_; }

 private:
  static constexpr double kSupScale = 0.72;
  static double Raise(double px) { return px * 0.42; }
  static double Axis(double px) { return px * 0.28; }
  double px_;
};

Box Formula(const QString& file) {
  const Box y = V("y");
  const Box eq = Op("=");
  const Box plus = Op("+");
  if (file == "linear") return Row({y, eq, V("a"), plus, V("bx")});
  if (file == "quadratic") {
    return Row({y, eq, V("a"), plus, V("bx"), plus, V("cx"), Sup({U("2")})});
  }
  if (file == "compound") return Row({y, eq, V("a"), Dot(), V("b"), Sup({V("x")})});
  if (file == "logarithmic") {
    return Row({y, eq, V("a"), plus, V("b"), Dot(), U("ln"), G(0.17), V("x")});
  }
  if (file == "exponential") return Row({y, eq, V("a"), Dot(), V("e"), Sup({V("bx")})});
  if (file == "power") return Row({y, eq, V("a"), Dot(), V("x"), Sup({V("b")})});
  if (file == "geometric") return Row({y, eq, V("a"), Dot(), V("x"), Sup({V("bx")})});
  if (file == "geometric2") {
    return Row({y, eq, V("a"), Dot(), V("x"), Sup({V("b"), U("/"), V("x")})});
  }
  if (file == "inverse") return Row({y, eq, V("a"), plus, Frac({V("b")}, {V("x")})});
  if (file == "hyperbola") {
    return Row({y, eq, Frac({V("a"), Dot(), V("x")}, {V("b"), plus, V("x")})});
  }
  return Row({});
}

}  // namespace

QImage ImageTop() {
  QImage image = Opaque(900, 25);
  for (int y = 0; y < 25; ++y) FillRow(image, y, TitleRow(y));
  FillColumn(image, 0, kEdge);
  FillColumn(image, 899, kEdge);
  // The rounded corners: their inner corner pixel belongs to the edge.
  image.setPixelColor(1, 1, kEdge);
  image.setPixelColor(898, 1, kEdge);
  return image;
}

QImage ImageMenu() {
  QImage image = Opaque(66, 115);
  for (int y = 0; y < 28; ++y) FillRow(image, y, MenuRow(y));
  FillColumn(image, 0, kEdge, 0, 27);
  FillColumn(image, 65, kEdge, 0, 27);
  FillRow(image, 28, kMenuLine);

  // Button faces: the bar itself, then a soft plate for hot and a sunken one for selected.
  struct Face {
    int top;
    int rows;
    QColor fill_top, fill_bottom, border;
    bool plate;
  };
  const QColor bar_mid = MenuRow(13);
  const Face faces[] = {
      {29, 28, {}, {}, {}, false},
      {58, 28, Over(bar_mid, Qt::white, 0.16), Over(bar_mid, Qt::white, 0.08),
       Over(bar_mid, Qt::white, 0.30), true},
      {88, 27, Over(bar_mid, Qt::black, 0.30), Over(bar_mid, Qt::black, 0.20),
       Over(bar_mid, Qt::black, 0.42), true},
  };
  for (const Face& face : faces) {
    for (int r = 0; r < face.rows; ++r) FillRow(image, face.top + r, MenuRow(r));
    if (!face.plate) continue;
    const int top = face.top + 3;
    const int bottom = face.top + 24;
    for (int y = top + 1; y < bottom; ++y) {
      FillRow(image, y, GradientRow(face.fill_top, face.fill_bottom, y - top - 1, bottom - top - 1),
              2, 61);
    }
    FillRow(image, top, face.border, 2, 61);
    FillRow(image, bottom, face.border, 2, 61);
    FillColumn(image, 1, face.border, top + 1, bottom - 1);
    FillColumn(image, 62, face.border, top + 1, bottom - 1);
  }
  // Row 1 of the selected plate: a faint inner shadow.
  FillRow(image, 88 + 4, Over(faces[2].fill_top, Qt::black, 0.12), 2, 61);
  return image;
}

QImage ImageM() {
  QImage image = Opaque(122, 62);
  // Every cell shows the title bar behind it (the buttons sit at top 1 on the title bar).
  for (int y = 0; y < 62; ++y) {
    const int cell_row = y % 21;
    FillRow(image, y, cell_row == 20 ? kMenuLine : TitleRow(1 + cell_row));
  }
  struct Cell {
    int x;
    int w;
    char glyph;  // n minimise, x maximise, c close, r restore
  };
  const Cell cells[] = {{0, 27, 'n'}, {27, 25, 'x'}, {52, 42, 'c'}, {94, 28, 'r'}};
  QPainter p(&image);
  for (const Cell& cell : cells) {
    for (int state = 0; state < 3; ++state) {
      const int top = state * 21;
      const QRectF plate(cell.x + 1.5, top + 1.5, cell.w - 3, 17);
      p.setRenderHint(QPainter::Antialiasing);
      const QColor behind = TitleRow(11);
      QColor fill = behind;
      if (state > 0) {
        if (cell.glyph == 'c') {
          fill = state == 1 ? kCloseHover : kClosePressed;
        } else {
          fill = state == 1 ? Over(behind, Qt::white, 0.20) : Over(behind, Qt::black, 0.22);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(plate, 3, 3);
      }
      const QPointF c(cell.x + cell.w / 2.0, top + 10.0);
      p.setBrush(Qt::NoBrush);
      switch (cell.glyph) {
        case 'n':
          p.setRenderHint(QPainter::Antialiasing, false);
          p.fillRect(QRect(int(c.x()) - 5, top + 12, 10, 2), kGlyph);
          break;
        case 'x':
          p.setRenderHint(QPainter::Antialiasing, false);
          p.setPen(QPen(kGlyph, 1));
          p.drawRect(QRect(int(c.x()) - 5, top + 5, 9, 9));
          p.fillRect(QRect(int(c.x()) - 5, top + 5, 10, 2), kGlyph);
          break;
        case 'r':
          p.setRenderHint(QPainter::Antialiasing, false);
          p.setPen(QPen(kGlyph, 1));
          p.drawRect(QRect(int(c.x()) - 3, top + 4, 8, 7));
          p.fillRect(QRect(int(c.x()) - 6, top + 7, 9, 8), fill);
          p.drawRect(QRect(int(c.x()) - 6, top + 7, 8, 7));
          p.fillRect(QRect(int(c.x()) - 6, top + 7, 9, 2), kGlyph);
          break;
        case 'c': {
          QPen pen(kGlyph, 1.7);
          pen.setCapStyle(Qt::RoundCap);
          p.setPen(pen);
          p.drawLine(QPointF(c.x() - 4.5, c.y() - 4.5), QPointF(c.x() + 4.5, c.y() + 4.5));
          p.drawLine(QPointF(c.x() - 4.5, c.y() + 4.5), QPointF(c.x() + 4.5, c.y() - 4.5));
          break;
        }
      }
    }
  }
  return image;
}

QImage ImageBottom() {
  QImage image = Opaque(200, 30);
  for (int y = 0; y < 30; ++y) FillRow(image, y, GradientRow(kBody, kBody.darker(104), y, 29));
  FillRow(image, 0, kBodyLine);
  FillRow(image, 29, kEdge);
  FillColumn(image, 0, kEdge);
  FillColumn(image, 199, kEdge);
  image.setPixelColor(1, 28, kEdge);
  image.setPixelColor(198, 28, kEdge);
  return image;
}

QImage SideFrame(bool left) {
  QImage image = Opaque(8, 530);
  for (int x = 0; x < 8; ++x) FillColumn(image, x, kBody);
  FillColumn(image, left ? 0 : 7, kEdge);
  FillColumn(image, left ? 1 : 6, kBodyLight);
  FillColumn(image, left ? 7 : 0, kBodyLine);
  return image;
}

QImage Image9() { return SideFrame(true); }
QImage Image10() { return SideFrame(false); }

QImage ImageTool() {
  QImage image = Opaque(2, 57);
  for (int y = 0; y < 57; ++y) FillRow(image, y, GradientRow(kToolTop, kToolBottom, y, 56));
  FillRow(image, 56, kBodyLine);
  return image;
}

QImage Image4() {
  QImage image = Opaque(2, 57);
  for (int y = 0; y < 57; ++y) FillRow(image, y, GradientRow(kPanelTop, kPanelBottom, y, 57));
  return image;
}

QImage ImageListMenu() {
  static const char* const kNames[] = {"new",   "open", "save",  "copy",  "print",
                                       "save-figure", "exit", "help",  "home",  "chart",
                                       "grid",  "paste", "zoom", "info"};
  QImage strip = Clear(16 * 14, 16);
  QPainter p(&strip);
  for (int i = 0; i < 14; ++i) {
    p.drawImage(i * 16, 0, DrawIcon(kNames[i], QSize(16, 16), QRectF(0, 0, 16, 16)));
  }
  return strip;
}

QImage ToolPicture(const QString& name) {
  if (name == "load-data") return DrawIcon("open", QSize(32, 32), QRectF(0, 0, 32, 32));
  if (name == "save-result") return DrawIcon("save", QSize(32, 32), QRectF(0, 0, 32, 32));
  if (name == "save-figure") {
    return DrawIcon("save-figure", QSize(32, 32), QRectF(0, 0, 32, 32));
  }
  if (name == "manual") return DrawIcon("manual", QSize(32, 32), QRectF(0, 0, 32, 32));
  if (name == "home") return DrawIcon("home", QSize(30, 35), QRectF(-1, 3, 32, 32));
  return {};
}

namespace {

// The application icon on a 32 × 32 canvas: a blue tile, measured points and the curve fitted
// through them. At 16 pixels and below the strokes and points are thicker to stay visible.
void DrawApplicationIcon(QPainter& p, bool small) {
  QLinearGradient g(0, 0, 0, 32);
  g.setColorAt(0, kBlueLight);
  g.setColorAt(1, kBlue.darker(115));
  p.setPen(Qt::NoPen);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);
  QPainterPath curve;
  curve.moveTo(4, 26);
  curve.cubicTo(12, 25, 16, 9, 28, 6);
  p.setPen(Stroke(Qt::white, small ? 3.0 : 2.4));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
  p.setPen(Qt::NoPen);
  p.setBrush(kAmber);
  const double r = small ? 3.4 : 2.8;
  for (QPointF pt : {QPointF(8, 21), QPointF(15.5, 19.5), QPointF(22, 9.5)}) {
    p.drawEllipse(pt, r, r);
  }
}

}  // namespace

QImage ApplicationIcon(int size) {
  QImage image = Clear(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  DrawApplicationIcon(p, size <= 16);
  return image;
}

QByteArray ApplicationIconSvg() {
  QBuffer svg;
  QSvgGenerator generator;
  generator.setOutputDevice(&svg);
  generator.setSize(QSize(256, 256));
  generator.setViewBox(QRectF(0, 0, 32, 32));
  generator.setTitle(QStringLiteral("Tarvolen"));
  QPainter p(&generator);
  DrawApplicationIcon(p, false);
  p.end();
  return svg.data();
}

const std::vector<Equation>& Equations() {
  static const std::vector<Equation> kAll = {
      {"linear", 70, 25},   {"quadratic", 106, 25}, {"compound", 56, 25},
      {"logarithmic", 89, 25}, {"exponential", 59, 25}, {"power", 56, 25},
      {"geometric", 61, 25}, {"geometric2", 66, 25}, {"inverse", 72, 42},
      {"hyperbola", 72, 42}};
  return kAll;
}

QImage EquationPicture(const QString& file) {
  const Equation* eq = nullptr;
  for (const Equation& e : Equations()) {
    if (e.file == file) eq = &e;
  }
  if (eq == nullptr) return {};
  const Box formula = Formula(file);
  // The largest size, up to 16 pixels, at which the formula fits with a small margin.
  double px = 16;
  Typesetter set(px);
  for (; px > 7; px -= 0.5) {
    const Metrics m = set.Measure(formula, px);
    if (m.width <= eq->width - 6 && m.ascent + m.descent <= eq->height - 6) break;
  }
  const Metrics m = set.Measure(formula, px);
  QImage image = Opaque(eq->width, eq->height);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(Qt::black);
  const double x = std::round((eq->width - m.width) / 2);
  const double base = std::round((eq->height - (m.ascent + m.descent)) / 2 + m.ascent);
  set.Draw(p, formula, px, x, base);
  return image;
}

}  // namespace skin
