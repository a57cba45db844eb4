#include "german_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtGlobal>

namespace velunor {

void InstallGermanTranslation(QCoreApplication& application) {
  constexpr const char* kInstalledName = "velunor_qtbase_de";
  if (application.findChild<QTranslator*>(QLatin1String(kInstalledName))) return;

  auto* translator = new QTranslator(&application);
  translator->setObjectName(QLatin1String(kInstalledName));
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (!translator->load(QStringLiteral("qtbase_de"), folder)) {
    qWarning("Qt's German translation (qtbase_de) is missing in %s", qUtf8Printable(folder));
    delete translator;
    return;
  }
  QCoreApplication::installTranslator(translator);
}

}  // namespace velunor
