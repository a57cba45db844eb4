#pragma once

// Answers the real modal dialogs and message boxes that the code under test opens, from a timer
// that runs inside their event loops, the way a user would.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace velunor::testing {

// One answer: gets the modal window that was opened and must close it.
using ModalAnswer = std::function<void(QWidget&)>;

inline void CloseModal(QWidget& modal) {
  if (auto* dialog = qobject_cast<QDialog*>(&modal)) {
    dialog->reject();
  } else {
    modal.close();
  }
}

// Calls act and answers the modal windows it opens, one after the other, with answers. A window
// beyond them, or one an answer left open, is reported and closed, so that a test cannot hang.
// Returns how many windows were answered.
inline std::size_t AnswerInTurn(const std::function<void()>& act,
                                std::vector<ModalAnswer> answers) {
  std::size_t next = 0;
  bool answering = false;  // an answer's own nested windows are its business
  QPointer<QWidget> last;
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (answering || !modal || modal == last) return;
    last = modal;
    if (next == answers.size()) {
      ADD_FAILURE() << "unexpected window: " << modal->windowTitle().toStdString();
      CloseModal(*modal);
      return;
    }
    answering = true;
    answers[next++](*modal);
    answering = false;
    if (last && last->isVisible()) {
      ADD_FAILURE() << "the window was left open: " << last->windowTitle().toStdString();
      CloseModal(*last);
    }
  });
  poll.start();
  act();
  return next;
}

// An answer for a file dialog.
inline ModalAnswer OnFileDialog(std::function<void(QFileDialog&)> answer) {
  return [answer = std::move(answer)](QWidget& modal) {
    auto* dialog = qobject_cast<QFileDialog*>(&modal);
    if (!dialog) {
      ADD_FAILURE() << "expected a file dialog, got " << modal.windowTitle().toStdString();
      return;
    }
    answer(*dialog);
  };
}

// Calls show (ShowOpen or ShowSave) and answers the file dialog it opens with answer.
inline void Answer(const std::function<void()>& show,
                   const std::function<void(QFileDialog&)>& answer) {
  EXPECT_EQ(AnswerInTurn(show, {OnFileDialog(answer)}), 1u) << "no file dialog was shown";
}

// What a message box showed.
struct ShownMessage {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

// An answer for a message box: notes what it shows in *shown (when given) and clicks button.
inline ModalAnswer OnMessage(QMessageBox::StandardButton button, ShownMessage* shown = nullptr) {
  return [button, shown](QWidget& modal) {
    auto* box = qobject_cast<QMessageBox*>(&modal);
    if (!box) {
      ADD_FAILURE() << "expected a message box, got " << modal.windowTitle().toStdString();
      return;
    }
    if (shown) *shown = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
    QAbstractButton* answer = box->button(button);
    if (!answer) {
      ADD_FAILURE() << "unexpected message: " << box->text().toStdString();
      answer = box->buttons().constFirst();
    }
    answer->click();
  };
}

// Calls act and answers a message box it opens with button; returns the box's text, empty when
// no box was opened.
inline QString AnswerMessage(const std::function<void()>& act, QMessageBox::StandardButton button) {
  ShownMessage shown;
  AnswerInTurn(act, {OnMessage(button, &shown)});
  return shown.Text;
}

inline QLineEdit& NameEdit(QFileDialog& dialog) {
  return *dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

inline QAbstractButton& Button(QFileDialog& dialog, QDialogButtonBox::StandardButton which) {
  return *dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(which);
}

// Types name into the name field and confirms it with Return. The field has the focus, as
// when the user types: only then does the typed name replace a file selected in the list.
inline void Confirm(QFileDialog& dialog, const QString& name) {
  dialog.activateWindow();
  NameEdit(dialog).setFocus();
  EXPECT_TRUE(QTest::qWaitFor([&] { return NameEdit(dialog).hasFocus(); }, 5000));
  NameEdit(dialog).setText(name);
  QTest::keyClick(&NameEdit(dialog), Qt::Key_Return);
}

}  // namespace velunor::testing
