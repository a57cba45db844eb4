#include <gtest/gtest.h>
#include <QApplication>

// The window tests need a QApplication; ctest runs them on the offscreen platform, and a run by
// hand does the same unless a platform is named.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Velunor"));
  QApplication::setApplicationVersion(QStringLiteral("2.0.2"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
