#include <QApplication>

#include "form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velunor"));
  QApplication::setApplicationVersion(QStringLiteral(VELUNOR_VERSION));

  velunor::Form1 form;
  form.show();
  return app.exec();
}
