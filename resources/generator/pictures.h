#pragma once

// Draws every picture of the skin. Each function returns the picture at its stored size.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

namespace skin {

QImage ImageTop();     // 900 × 25
QImage ImageBottom();  // 200 × 30
QImage ImageMenu();    // 66 × 115
QImage ImageM();       // 122 × 62
QImage ImageTool();    // 2 × 57
QImage Image9();       // 8 × 530
QImage Image10();      // 8 × 530
QImage Image4();       // 2 × 57
QImage ImageListMenu();  // 14 pictures of 16 × 16 side by side: 224 × 16
QImage ToolPicture(const QString& name);  // load-data, save-result, save-figure, manual, home
QImage ApplicationIcon(int size);
QByteArray ApplicationIconSvg();  // the same drawing, scalable

struct Equation {
  QString file;  // "linear", ...
  int width;
  int height;
};
const std::vector<Equation>& Equations();
QImage EquationPicture(const QString& file);

}  // namespace skin
