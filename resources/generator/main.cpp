// Draws the skin pictures, the tool bar and menu pictures, the application icon (also as SVG) and
// the equation pictures into the resources folder, and optionally a preview sheet of all of them.
//
//   tarvolen-skin-pictures RESOURCES_DIR [--preview FILE.png]

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QPainter>
#include <QStyleOptionButton>
#include <cstdio>

#include "common/installation.h"
#include "pictures.h"
#include "shell/MyImgBtn.h"
#include "shell/skin_frame.h"
#include "shell/skin_painting.h"
#include "shell/skin_resources.h"

namespace {

bool Save(const QImage& image, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (!image.save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

bool SaveBytes(const QByteArray& bytes, const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

const char* const kToolNames[] = {"load-data", "save-result", "save-figure", "manual", "home"};
const int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

bool WriteAll(const QString& dir) {
  bool ok = true;
  ok &= Save(skin::ImageTop(), dir + "/skin/ImageTop.png");
  ok &= Save(skin::ImageBottom(), dir + "/skin/ImageBottom.png");
  ok &= Save(skin::ImageMenu(), dir + "/skin/ImageMenu.png");
  ok &= Save(skin::ImageM(), dir + "/skin/ImageM.png");
  ok &= Save(skin::ImageTool(), dir + "/skin/ImageTool.png");
  ok &= Save(skin::Image9(), dir + "/skin/Image9.png");
  ok &= Save(skin::Image10(), dir + "/skin/Image10.png");
  ok &= Save(skin::Image4(), dir + "/skin/Image4.png");
  ok &= Save(skin::ImageListMenu(), dir + "/skin/ImageListMenu.png");
  for (const char* name : kToolNames) {
    ok &= Save(skin::ToolPicture(name), dir + "/toolbar/" + name + ".png");
  }
  for (int size : kIconSizes) {
    ok &= Save(skin::ApplicationIcon(size), dir + QStringLiteral("/icon/tarvolen-%1.png").arg(size));
  }
  ok &= SaveBytes(skin::ApplicationIconSvg(), dir + "/icon/tarvolen.svg");
  for (const skin::Equation& eq : skin::Equations()) {
    ok &= Save(skin::EquationPicture(eq.file), dir + "/equations/" + eq.file + ".png");
  }
  return ok;
}

// ---- preview -------------------------------------------------------------------------------

using namespace tarvolen;

void RaisedButton(QPainter& p, const QRect& r) {
  p.fillRect(r, QColor(0xF0, 0xF0, 0xF0));
  p.setPen(Qt::white);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(QColor(0xA0, 0xA0, 0xA0));
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
}

QImage Window(const TSkinPictures& skin, const std::vector<QImage>& tools,
              const std::vector<QImage>& equations) {
  const int w = 796;
  const int h = 613;
  QImage window(w, h, QImage::Format_ARGB32_Premultiplied);
  window.fill(QColor(0xF0, 0xF0, 0xF0));
  QPainter p(&window);

  const TFramePictures frame =
      BuildFramePictures(skin, w, skin::ApplicationIcon(16),
                         QStringLiteral("Tarvolen ") + QLatin1String(ProgramVersion()),
                         TitleCaptionStyle::kCreation);
  p.drawImage(0, 0, frame.Image1);
  p.drawImage(0, 25, frame.Image3);
  p.drawImage(0, 53, skin.Image9);
  p.drawImage(788, 53, skin.Image10);
  p.drawImage(0, 583, frame.Image2);

  // Menu bar: File open, Help at rest.
  const QRect bar(12, 25, 785, 28);
  p.save();
  p.setClipRect(bar);
  ToolBar1CustomDraw(p, bar, skin.ImageMenu);
  ToolBar1CustomDrawButton(p, QRect(12, 25, 65, 28), {false, true}, "File", MenuBarFont(),
                           skin.ImageMenu);
  ToolBar1CustomDrawButton(p, QRect(77, 25, 65, 28), {false, false}, "Help", MenuBarFont(),
                           skin.ImageMenu);
  p.restore();

  // Caption buttons.
  TImgBtn min_btn;
  TImgBtn close_btn;
  SliceButtonStates(min_btn, skin.ImageM, 27, 20, 0, 0);
  SliceButtonStates(close_btn, skin.ImageM, 42, 20, 52, 0);
  const TCaptionButtonPlaces places = CaptionButtonPlaces(w);
  min_btn.Pic().Draw(p, places.ImgBtnMin);
  close_btn.PicUp().Draw(p, places.ImgBtnClose);

  // The panel: command tool bar, background, model buttons.
  p.save();
  p.translate(8, 53);
  ToolBar2CustomDraw(p, QRect(0, 0, 780, 57), skin.ImageTool);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.drawImage(QRect(0, 57, 780, 473), skin.Image4);
  struct Tool {
    int left, width;
    const char* caption;
  };
  const Tool tool_buttons[] = {{0, 65, "Load Data"},  {65, 72, "Save Result"},
                               {137, 64, "Save Figure"}, {201, 47, "Manual"},
                               {248, 47, "Home"}};
  QFont tool_font(QStringLiteral("Liberation Sans"));
  tool_font.setPixelSize(11);
  for (int i = 0; i < 5; ++i) {
    const Tool& t = tool_buttons[i];
    const QImage& pic = tools[i];
    const QRect r(t.left, 2, t.width, 55);
    if (i == 1) {
      p.setPen(QColor(0xB8, 0xC6, 0xD4));
      p.setBrush(QColor(0xFF, 0xFF, 0xFF, 150));
      p.drawRoundedRect(QRectF(r).adjusted(1.5, 0.5, -1.5, -2.5), 3, 3);
    }
    p.drawImage(r.left() + (r.width() - pic.width()) / 2, i == 4 ? 3 : 5, pic);
    p.setFont(tool_font);
    p.setPen(QColor(0, 128, 128));
    p.drawText(QRect(r.left(), 40, r.width(), 14), Qt::AlignHCenter | Qt::AlignTop, t.caption);
  }
  RaisedButton(p, QRect(40, 72, 97, 25));
  p.setPen(Qt::black);
  QFont sans(QStringLiteral("Liberation Sans"));
  sans.setPixelSize(11);
  p.setFont(sans);
  p.drawText(QRect(40, 72, 97, 25), Qt::AlignCenter, "Exchange( X,Y)");
  const char* const labels[] = {"1.  Linear",     "2.  Quadratic",  "3.  Compound",
                                "4.  Logatithmic", "5.  Exponential", "6.  Power",
                                "7.  Geometric",  "8.  Geometric2", "9.  Inverse",
                                "10.  hyperbola"};
  const int tops[] = {88, 128, 168, 208, 248, 288, 328, 368, 416, 464};
  QFont label_font(QStringLiteral("Liberation Sans"));
  label_font.setPixelSize(16);
  label_font.setBold(true);
  label_font.setItalic(true);
  for (int i = 0; i < 10; ++i) {
    const int bh = i < 8 ? 25 : 41;
    p.setFont(label_font);
    p.setPen(QColor(128, 0, 0));
    p.drawText(QRect(208, tops[i], 118, 18), Qt::AlignLeft | Qt::AlignVCenter, labels[i]);
    const QRect b(328, tops[i], 113, bh);
    RaisedButton(p, b);
    const TPicture eq(equations[i], true);
    eq.Draw(p, QPoint(b.left() + (b.width() - eq.Width()) / 2,
                      b.top() + (b.height() - eq.Height()) / 2));
  }
  p.restore();

  // Grid, chart and results placeholders.
  p.setPen(QColor(0x9A, 0xA8, 0xB6));
  p.setBrush(Qt::white);
  p.drawRect(QRect(8, 152, 184, 424));
  p.fillRect(QRect(9, 153, 183, 20), QColor(0xF0, 0xF0, 0xF0));
  p.setPen(Qt::black);
  p.setFont(sans);
  p.drawText(QRect(70, 153, 60, 20), Qt::AlignCenter, "X");
  p.drawText(QRect(130, 153, 60, 20), Qt::AlignCenter, "Y");
  p.setPen(QColor(0x9A, 0xA8, 0xB6));
  p.setBrush(QColor(219, 228, 238));
  p.drawRect(QRect(480, 122, 304, 246));
  p.setBrush(Qt::white);
  p.drawRect(QRect(480, 376, 304, 200));

  // The File menu, dropped down under its button.
  struct Item {
    const char* caption;
    const char* shortcut;
    int picture;
    bool grayed;
  };
  const Item items[] = {{"&Load Data", "Ctrl+O", kMenuPictureLoadData, false},
                        {"&Save Result", "", kMenuPictureSaveResult, false},
                        {"Save &Figure", "", kMenuPictureSaveFigure, true},
                        {"-", "", -1, false},
                        {"E&xit", "", -1, false}};
  QRect menu(12, 53, 170, 2);
  int y = 54;
  for (const Item& item : items) y += QString(item.caption) == "-" ? 9 : 24;
  menu.setHeight(y - 53 + 1);
  p.fillRect(menu, Qt::white);
  p.setPen(QColor(154, 168, 182));
  p.setBrush(Qt::NoBrush);
  p.drawRect(menu.adjusted(0, 0, -1, -1));
  y = 54;
  p.setFont(QApplication::font());
  for (int i = 0; i < 5; ++i) {
    const Item& item = items[i];
    const int ih = QString(item.caption) == "-" ? 9 : 24;
    TMenuItemDraw draw;
    draw.caption = item.caption;
    draw.shortcut = item.shortcut;
    if (item.picture >= 0) draw.picture = skin.ImageListMenu[item.picture];
    Open1AdvancedDrawItem(draw, p, QRect(13, y, 168, ih), {i == 0, item.grayed});
    y += ih;
  }
  p.end();

  // The window's rounded shape.
  QImage shaped(w, h, QImage::Format_ARGB32_Premultiplied);
  shaped.fill(Qt::transparent);
  QPainter s(&shaped);
  s.setClipRegion(WindowShapeRegion(QSize(w, h)));
  s.drawImage(0, 0, window);
  return shaped;
}

void Magnified(QPainter& p, const QImage& image, QPoint at, int zoom) {
  p.save();
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(QRect(at, image.size() * zoom), image);
  p.restore();
}

bool WritePreview(const QString& file) {
  TSkinPictures skin;
  skin.ImageTop = skin::ImageTop();
  skin.ImageBottom = skin::ImageBottom();
  skin.ImageMenu = skin::ImageMenu();
  skin.ImageM = skin::ImageM();
  skin.ImageTool = skin::ImageTool();
  skin.Image9 = skin::Image9();
  skin.Image10 = skin::Image10();
  skin.Image4 = skin::Image4();
  skin.ImageListMenu = SplitImageList(skin::ImageListMenu(), 16);
  std::vector<QImage> tools;
  for (const char* name : kToolNames) tools.push_back(skin::ToolPicture(name));
  std::vector<QImage> equations;
  for (const skin::Equation& eq : skin::Equations()) {
    equations.push_back(skin::EquationPicture(eq.file));
  }

  QImage sheet(1500, 1060, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(QColor(0x8E, 0x98, 0xA2));
  QPainter p(&sheet);
  p.drawImage(20, 20, Window(skin, tools, equations));

  int x = 840;
  Magnified(p, skin.ImageM, QPoint(x, 20), 4);
  Magnified(p, skin.ImageMenu, QPoint(x + 520, 20), 2);
  // The three menu bar button states as painted, on the bar.
  for (int state = 0; state < 3; ++state) {
    QImage strip(150, 28, QImage::Format_ARGB32_Premultiplied);
    QPainter sp(&strip);
    ToolBar1CustomDraw(sp, strip.rect(), skin.ImageMenu);
    ToolBar1CustomDrawButton(sp, QRect(10, 0, 65, 28), {state == 1, state == 2}, "File",
                             MenuBarFont(), skin.ImageMenu);
    sp.end();
    Magnified(p, strip, QPoint(x, 290 + state * 64), 2);
  }
  Magnified(p, skin::ImageListMenu(), QPoint(x, 490), 2);
  int tx = x;
  for (const QImage& tool : tools) {
    p.fillRect(QRect(tx, 540, tool.width() * 2, tool.height() * 2), QColor(0xF4, 0xF6, 0xF9));
    Magnified(p, tool, QPoint(tx, 540), 2);
    tx += 72;
  }
  int ix = x;
  for (int size : kIconSizes) {
    if (size > 128) continue;
    p.drawImage(ix, 620, skin::ApplicationIcon(size));
    ix += size + 10;
  }
  int ey = 760;
  int ex = x;
  for (const QImage& eq : equations) {
    if (ex + eq.width() * 2 > 1490) {
      ex = x;
      ey += 90;
    }
    Magnified(p, eq, QPoint(ex, ey), 2);
    ex += eq.width() * 2 + 8;
  }
  // The equation pictures at their own size.
  int qx = 20;
  for (const QImage& eq : equations) {
    p.drawImage(qx, 650, eq);
    qx += eq.width() + 6;
  }
  p.end();
  return Save(sheet, file);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: %s RESOURCES_DIR [--preview FILE.png]\n", argv[0]);
    return 2;
  }
  bool ok = WriteAll(args[1]);
  const qsizetype preview = args.indexOf("--preview");
  if (preview > 0 && preview + 1 < args.size()) ok &= WritePreview(args[preview + 1]);
  return ok ? 0 : 1;
}
