#include "shell/skin_resources.h"

#include <QString>

// The resource initialiser has to be named outside any namespace.
static void InitTarvolenQrc() { Q_INIT_RESOURCE(tarvolen); }

namespace tarvolen {
namespace {

QImage Load(const char* name) { return QImage(QStringLiteral(":/skin/") + QLatin1String(name)); }

constexpr int kIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

}  // namespace

void InitSkinResources() { InitTarvolenQrc(); }

TSkinPictures LoadSkinPictures() {
  TSkinPictures skin;
  skin.ImageTop = Load("ImageTop.png");
  skin.ImageBottom = Load("ImageBottom.png");
  skin.ImageMenu = Load("ImageMenu.png");
  skin.ImageM = Load("ImageM.png");
  skin.ImageTool = Load("ImageTool.png");
  skin.Image9 = Load("Image9.png");
  skin.Image10 = Load("Image10.png");
  skin.Image4 = Load("Image4.png");
  skin.ImageListMenu = SplitImageList(Load("ImageListMenu.png"), 16);
  return skin;
}

std::vector<QImage> SplitImageList(const QImage& strip, int size) {
  std::vector<QImage> pictures;
  if (strip.isNull() || size <= 0) return pictures;
  for (int x = 0; x + size <= strip.width(); x += size) {
    pictures.push_back(strip.copy(x, 0, size, std::min(size, strip.height())));
  }
  return pictures;
}

QString ToolPicturePath(ToolPicture picture) {
  switch (picture) {
    case ToolPicture::kLoadData:
      return QStringLiteral(":/toolbar/load-data.png");
    case ToolPicture::kSaveResult:
      return QStringLiteral(":/toolbar/save-result.png");
    case ToolPicture::kSaveFigure:
      return QStringLiteral(":/toolbar/save-figure.png");
    case ToolPicture::kManual:
      return QStringLiteral(":/toolbar/manual.png");
    case ToolPicture::kHome:
      return QStringLiteral(":/toolbar/home.png");
  }
  return {};
}

QString EquationPicturePath(Model model) {
  return QStringLiteral(":/equations/%1.png").arg(QString::fromUtf8(ModelName(model)));
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : kIconSizes) {
    icon.addFile(QStringLiteral(":/icon/tarvolen-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

QImage ApplicationIconPicture() { return QImage(QStringLiteral(":/icon/tarvolen-16.png")); }

}  // namespace tarvolen
