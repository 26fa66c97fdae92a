#pragma once

#include <vector>

#include <QIcon>
#include <QImage>
#include <QString>

#include "fit/fit.h"

namespace tarvolen {

// Makes the pictures compiled into the shell library reachable under ":/". Call once after the
// application object exists and before loading any picture; repeated calls are harmless.
void InitSkinResources();

// The skin source pictures of the hidden panel, the panel background and the side frames.
struct TSkinPictures {
  QImage ImageTop;     // 900 × 25, title bar
  QImage ImageBottom;  // 200 × 30, bottom frame
  QImage ImageMenu;    // 66 × 115, menu bar strip and its button faces
  QImage ImageM;       // 122 × 62, caption button cells
  QImage ImageTool;    // 2 × 57, command tool bar background
  QImage Image9;       // 8 × 530, left frame
  QImage Image10;      // 8 × 530, right frame
  QImage Image4;       // 2 × 57, main panel background (stretched)
  std::vector<QImage> ImageListMenu;  // 14 pictures of 16 × 16
};

// Loads every skin picture from the resources; a picture that cannot be read is left null.
TSkinPictures LoadSkinPictures();

// Menu image list pictures used by the File menu.
inline constexpr int kMenuPictureLoadData = 1;
inline constexpr int kMenuPictureSaveResult = 2;
inline constexpr int kMenuPictureSaveFigure = 5;
inline constexpr int kImageListMenuCount = 14;

// Cuts a horizontal strip into square pictures `size` wide, left to right.
std::vector<QImage> SplitImageList(const QImage& strip, int size);

// The command tool bar's pictures: 32 × 32, "Home" 30 × 35.
enum class ToolPicture { kLoadData, kSaveResult, kSaveFigure, kManual, kHome };
QString ToolPicturePath(ToolPicture picture);

// A model button's equation picture, black on white, at the size its button expects.
QString EquationPicturePath(Model model);

// The application icon in every stored size (16 × 16 and larger).
QIcon ApplicationIcon();
// Its 16 × 16 picture, as the title bar shows it.
QImage ApplicationIconPicture();

}  // namespace tarvolen
