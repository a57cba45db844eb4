#include "message_box.h"

#include <QLabel>

namespace velunor {

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                 const QString& text) {
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  // Qt wraps a text wider than half the screen (at most 500 pixels); a label at least as wide as
  // its text keeps the box that wide instead.
  if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(text));
  }
  box.exec();
}

}  // namespace velunor
