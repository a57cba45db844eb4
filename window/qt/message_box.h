#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace velunor {

// Shows a modal message with an OK button, modal to parent (may be null). The text stays on one
// line, however long the numbers in it: the longest summary and the longest error text are read
// at a glance, never with their last words alone on a second line.
void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text);

}  // namespace velunor
