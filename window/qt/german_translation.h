#pragma once

class QCoreApplication;

namespace velunor {

// Installs Qt's own German translation on the application, so that the buttons, labels and
// questions of the toolkit's dialogs and message boxes are German like the rest of the tool.
// Safe to call more than once; the translation is installed only the first time. Without the
// translation files the toolkit's texts stay English and the tool goes on working.
void InstallGermanTranslation(QCoreApplication& application);

}  // namespace velunor
