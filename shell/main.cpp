// Tarvolen: the curve-fitting window.

#include <QApplication>
#include <QStyleFactory>

#include "shell/Unit1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  tarvolen::TForm1 form;
  form.show();
  return app.exec();
}
