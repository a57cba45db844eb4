#pragma once

// Answers the real modal dialogs and message boxes that the code under test opens, from a timer
// that runs inside their event loops, the way a user would.
#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

namespace velunor::testing {

// One answer: gets the modal window that was opened and must close it.
using ModalAnswer = std::function<void(QWidget&)>;

// Calls act and answers the modal windows it opens, in turn (not the one act is called in). A
// window beyond the answers fails the test and is closed, so that no test can hang. Returns how
// many windows were answered.
inline std::size_t AnswerInTurn(const std::function<void()>& act,
                                std::vector<ModalAnswer> answers) {
  std::size_t next = 0;
  QWidget* const outer = QApplication::activeModalWidget();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == outer) return;
    if (next == answers.size()) {
      ADD_FAILURE() << "unexpected window: " << modal->windowTitle().toStdString();
      return (void)modal->close();
    }
    poll.stop();  // an answer's own nested windows are its business
    answers[next++](*modal);
    poll.start();
  });
  poll.start(10);
  act();
  return next;
}

template <typename Modal>
ModalAnswer On(std::function<void(Modal&)> answer) {
  return [answer](QWidget& modal) {
    auto* shown = qobject_cast<Modal*>(&modal);
    ASSERT_TRUE(shown) << "unexpected window: " << modal.windowTitle().toStdString();
    answer(*shown);
  };
}

// Clicks button on a message box whose "title: text" holds text and that shows icon.
inline ModalAnswer OnMessage(QMessageBox::StandardButton button, const QString& text = {},
                             QMessageBox::Icon icon = QMessageBox::Warning) {
  return On<QMessageBox>([=](QMessageBox& box) {
    const QString shown = box.windowTitle() + ": " + box.text();
    EXPECT_TRUE(shown.contains(text) && box.icon() == icon) << shown.toStdString();
    ASSERT_TRUE(box.button(button)) << "unexpected message: " << shown.toStdString();
    box.button(button)->click();
  });
}

inline QLineEdit& NameEdit(QFileDialog& dialog) {
  return *dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
}

// Types name into the focused name field and confirms it with Return: only with the focus there
// does a typed name replace a file selected in the list.
inline void Confirm(QFileDialog& dialog, const QString& name) {
  dialog.activateWindow();
  NameEdit(dialog).setFocus();
  EXPECT_TRUE(QTest::qWaitFor([&] { return NameEdit(dialog).hasFocus(); }, 5000));
  NameEdit(dialog).setText(name);
  QTest::keyClick(&NameEdit(dialog), Qt::Key_Return);
}

}  // namespace velunor::testing
