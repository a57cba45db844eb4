#include "program_start.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace velunor {
namespace {

// What Qt says while it opens the display, held back until it has succeeded: when it fails, the
// one German line takes the place of Qt's messages.
std::vector<QString> heldMessages;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fputs(
        "velunor: Kein Bildschirm (DISPLAY) gefunden; das Fenster braucht eine grafische "
        "Sitzung. Ohne sie wandelt velunor-convert die Log-Datei um.\n",
        stderr);
    std::_Exit(1);
  }
  heldMessages.push_back(qFormatLogMessage(type, context, text));
}

}  // namespace

std::unique_ptr<QApplication> StartApplication() {
  // A write beyond the file-size limit then fails like a full disk and is reported as such,
  // instead of the signal ending the program without a word.
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif

  static int argc = 1;
  static char programName[] = "velunor";
  static char* argv[] = {programName, nullptr};
  const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
  auto application = std::make_unique<QApplication>(argc, argv);
  qInstallMessageHandler(previous);
  for (const QString& message : heldMessages) std::fprintf(stderr, "%s\n", qPrintable(message));
  heldMessages.clear();

  QApplication::setApplicationName(QStringLiteral("Velunor"));
  QApplication::setApplicationVersion(QStringLiteral(VELUNOR_VERSION));
  return application;
}

}  // namespace velunor
