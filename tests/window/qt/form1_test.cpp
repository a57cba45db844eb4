// The window: its settings, its displays and the file button's click, driven as the user would.
#include "form1.h"

#include <climits>
#include <memory>
#include <thread>

#include "../../support/temp_dir.h"
#include "../click_cases.h"
#include "dialog_driver.h"
#include "duration_labels.h"
#include "message_box.h"
#include "run_conversion.h"
#include "st_progress_bar.h"

namespace velunor {
namespace {

using namespace testing;

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }

  // A fresh window, active, over a folder that holds only the logs.
  void Restart(const std::string& log_bytes = ClickCaseLog()) {
    ended.clear();
    shown = {};
    PutClickLogs(dir.Path(), log_bytes);
    form = std::make_unique<Form1>();
    form->EndProgram = [this](int status) { ended.push_back(status); };
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }

  // Without a split the append box is offered, unticked, over the red note; with one the note.
  void ExpectAppendOffered(bool offered) {
    EXPECT_EQ(form->Check2->isVisible(), offered);
    EXPECT_EQ(form->Check2->isEnabled(), offered);
    EXPECT_EQ(form->Label1->isVisible(), !offered);
    EXPECT_FALSE(form->Check2->isChecked());
  }

  // Expects the open dialog in folder, with the preset and a folder history; chooses name.
  ModalAnswer ChooseLog(const std::string& name = "m_DAT.LOG",
                        const QString& folder = QDir::currentPath()) {
    return On<QFileDialog>([=, this](QFileDialog& dialog) {
      EXPECT_EQ(NameEdit(dialog).text(), QStringLiteral("*_DAT.LOG"));
      EXPECT_EQ(dialog.directory().absolutePath(), folder);
      EXPECT_TRUE(dialog.history().contains(QDir::currentPath()));
      Confirm(dialog, QString::fromStdString(dir / name));
    });
  }

  // Confirms typed, or the proposal when empty; expects the question before replacing only when
  // asked, and answers it with replace.
  ModalAnswer SaveAs(bool asked, const std::string& typed = "") {
    return On<QFileDialog>([=](QFileDialog& dialog) {
      const QString name = typed.empty() ? NameEdit(dialog).text() : QString::fromStdString(typed);
      ShownMessage question;
      AnswerInTurn([&] { Confirm(dialog, name); }, {OnMessage(QMessageBox::Yes, &question)});
      EXPECT_EQ(question.Text.contains(u"existiert bereits"), asked);
    });
  }

  void Click(std::vector<ModalAnswer> answers) {
    const std::size_t count = answers.size();
    EXPECT_EQ(AnswerInTurn([&] { form->Command1->click(); }, std::move(answers)), count);
  }

  TempDir dir;
  std::unique_ptr<Form1> form;
  std::vector<int> ended;  // the exit statuses the program was ended with
  ShownMessage shown;
  ModalAnswer message = OnMessage(QMessageBox::Ok, &shown);
};

TEST_F(Form1Test, StartsWithTheDesignedDefaultsAndIsUsedByKeyboard) {
  EXPECT_EQ(form->Command1->text(), QStringLiteral("&Datei..."));
  EXPECT_EQ(form->STprogressBar1->Value(), 0);
  ExpectAppendOffered(true);
  EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
  EXPECT_EQ(form->HScroll1->value(), 0);
  // Every control shown lies within its frame or the window, with room for its caption.
  for (QWidget* control : form->findChildren<QWidget*>()) {
    if (!control->isVisibleTo(form.get())) continue;
    const auto* button = qobject_cast<QAbstractButton*>(control);
    EXPECT_TRUE(control->parentWidget()->rect().contains(control->geometry()) &&
                control->width() >= (button ? button->sizeHint().width() : 1))
        << control->metaObject()->className();
  }
  // Tab enters the option group at the selected option; the arrow keys move within it and select.
  using enum StatusChannelMode;
  const std::tuple<Qt::Key, QWidget*, StatusChannelMode> walk[] = {
      {Qt::Key_Tab, form->Option1[1], Transform},
      {Qt::Key_Down, form->Option1[2], Discard},
      {Qt::Key_Up, form->Option1[1], Transform},
      {Qt::Key_Up, form->Option1[0], CopyUnchanged},
      {Qt::Key_Return, form->Option1[0], CopyUnchanged}};  // Return presses push buttons only
  for (const auto& [key, focused, mode] : walk) {
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(QApplication::focusWidget(), focused) << key;
    EXPECT_EQ(form->ReadRunOptions().StatusChannelMode, mode) << key;
  }

  // Alt+D, Return and Enter click; the next open dialog starts where the last log was chosen.
  std::filesystem::create_directory(dir / "sub");
  WriteFile(dir / "sub/x_dat.log", "");
  QSignalSpy clicks(form->Command1, &QPushButton::clicked);
  form->Command1->setFocus();
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_D, Qt::AltModifier},
                                       {Qt::Key_Return, Qt::NoModifier},
                                       {Qt::Key_Enter, Qt::KeypadModifier}}) {
    const auto choose =
        ChooseLog("sub/x_dat.log",
                  clicks.empty() ? QDir::currentPath() : QString::fromStdString(dir / "sub"));
    QTest::keyClick(form->Command1, key, modifiers);
    EXPECT_EQ(AnswerInTurn([&] { clicks.wait(1000); }, {choose, message}), 2u) << key;
  }
}

TEST_F(Form1Test, SplitIntervalUnticksAndHidesAppendAndFollowsOnlyAReleasedThumb) {
  QScrollBar* s = form->HScroll1;
  // A click at x (-1: none), keys and notches of the wheel towards the user; the interval shown.
  const std::tuple<int, std::vector<Qt::Key>, int, const char*> moves[] = {
      {s->width() / 2, {}, 0, "01 h, 00 min"},  // into the track
      {-1, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, 0, "00 h, 03 min"},
      {-1, {Qt::Key_End}, 0, "48 h, 00 min"},
      {-1, {}, 1, "00 h, 01 min"}};
  for (const auto& [x, keys, notches, text] : moves) {
    form->Check2->setChecked(true);
    if (x >= 0) QTest::mouseClick(s, Qt::LeftButton, {}, {x, 8});
    for (Qt::Key key : keys)  // the last one from the number pad
      QTest::keyClick(s, key, &key == &keys.back() ? Qt::KeypadModifier : Qt::NoModifier);
    QWheelEvent wheel({8, 8}, s->mapToGlobal(QPoint(8, 8)), {}, {0, -120 * notches}, Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    if (notches) QApplication::sendEvent(s, &wheel);
    EXPECT_EQ(form->Text1->text(), QString::fromUtf8(text));
    ExpectAppendOffered(false);
    s->setValue(0);
    EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
    ExpectAppendOffered(true);
  }
  const QPoint grip(s->height() + 3, s->height() / 2), dropped = grip + QPoint(100, 0);
  QTest::mousePress(s, Qt::LeftButton, {}, grip);
  QTest::mouseMove(s, dropped);
  EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));  // nothing while dragging
  QTest::mouseRelease(s, Qt::LeftButton, {}, dropped);
  EXPECT_EQ(form->Text1->text().toStdString(), FormatSplitInterval(s->value() * 60));
}

// At a time tick (or new percent, see below) a pass over the events is due after 20 ms, always.
TEST_F(Form1Test, TicksLetEventsThroughAfterAPauseAndTheWindowShowsTheProgress) {
  form->Timer1->setInterval(10);  // a quicker tick than a run's second
  form->StartOutputSizeDisplay();
  form->BytesWritten() = 123456;
  int handled = 0;
  for (int pass = 1; pass <= 2; ++pass) {
    QTimer::singleShot(0, form.get(), [&] { ++handled; });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    form->ProcessPendingEvents();
    EXPECT_EQ(handled, pass);
  }
  EXPECT_EQ(form->Command1->text(), QStringLiteral(" 121 KB Out..."));
  form->SetProgress(50);
  STprogressBar& bar = *form->STprogressBar1;
  const QImage half = bar.grab().toImage();  // the ramp's column x is drawn at x + 2
  EXPECT_EQ(QColor(half.pixel(2 + 83, 3)), QColor(255, 128, 0));  // half way from red to yellow
  EXPECT_EQ(QColor(half.pixel(2 + 200, 3)), bar.palette().color(QPalette::Button));
  form->SetProgress(100);
  EXPECT_EQ(QColor(bar.grab().toImage().pixel(2 + 332, 3)), QColor(0, 255, 0));  // green, the end
}

TEST_F(Form1Test, ClickConvertsOrRefusesOrReturnsQuietlyOrReportsTheEnd) {
  const auto answer = [&](Step step) -> ModalAnswer {
    switch (step) {
      case Step::ChooseLog:
        return ChooseLog();
      case Step::ChooseLowerCaseLog:
        return ChooseLog("x_dat.log");
      case Step::SaveAsked:
        return SaveAs(true);
      case Step::SaveUnasked:
        return SaveAs(false);
      case Step::SaveOverLog:
        return SaveAs(false, "m_DAT.LOG");
      case Step::Cancel:
        return CloseModal;
      case Step::Message:
        return message;
    }
    return CloseModal;
  };
  for (const auto& [append, split, steps, file, before, after, text, bar, end] : ClickCases()) {
    std::vector<ModalAnswer> answers;
    for (const Step step : steps) answers.push_back(answer(step));
    SCOPED_TRACE(text);
    Restart();
    if (!before.empty()) WriteFile(dir / file, before);
    form->Check2->setChecked(append);
    form->HScroll1->setValue(split);
    form->SetProgress(37);
    Click(std::move(answers));
    EXPECT_EQ(ReadFile(dir / file), after) << file;
    EXPECT_EQ(shown.Text, QString::fromStdString(text));
    EXPECT_EQ(shown.Icon, end ? QMessageBox::Critical : QMessageBox::NoIcon);
    EXPECT_EQ(shown.Title, end            ? "Es ist ein Fehler aufgetreten - Programm-Ende:"
                           : text.empty() ? ""
                                          : "Velunor");
    EXPECT_EQ(form->STprogressBar1->Value(), bar);
    // The button loses its access key with the first run or refused name.
    EXPECT_EQ(form->Command1->text(), text.empty() || end ? u"&Datei..." : u"Datei...");
    EXPECT_EQ(form->Command1->isEnabled() && form->Frame1->isEnabled() &&
                  form->Frame2->isEnabled() && form->Frame3->isEnabled(),
              !end);
    EXPECT_EQ(ended, end ? std::vector<int>{end} : std::vector<int>{});
  }
}

TEST_F(Form1Test, DuringARunTheWindowIgnoresTheUserAndClosingItStopsTheRun) {
  std::string records;  // no time tick: the run lets events through at a new percent only
  for (int i = 0; i < 2000; ++i) records += "$2;1;;" + std::string(49, '0') + "\r\n";
  Restart(records);
  QTimer user;  // at the first events the run lets through, uses every control, then closes
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (form->Command1->isEnabled()) return;
    QTest::mouseClick(form->Command1, Qt::LeftButton);  // would open a dialog
    QTest::mouseClick(form->Option1[0], Qt::LeftButton, {}, QPoint(6, 10));
    QTest::mouseClick(form->Check2, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::keyClick(form->HScroll1, Qt::Key_Right);
    form->close();
  });
  user.start(1);
  Click({ChooseLog(), SaveAs(false)});
  const std::string csv = ReadFile(dir / "m.CSV");
  EXPECT_LT(csv.size(), records.size());
  EXPECT_EQ(csv, records.substr(0, csv.size()));
  EXPECT_EQ(ended, std::vector<int>{0});
  EXPECT_TRUE(form->Option1[1]->isChecked() && !form->Check2->isChecked());
  EXPECT_EQ(form->HScroll1->value(), 0);
}

TEST(MessageTest, LongestSummaryAndErrorTextStayOnOneLine) {
  for (const auto& [icon, text] :
       {std::pair{QMessageBox::NoIcon, SummaryText({INT_MAX, INT_MAX, INT_MAX})},
        {QMessageBox::Critical, ErrorText(RunTimeError(INT_MIN))}}) {
    EXPECT_EQ(AnswerInTurn([&] { ShowMessage(nullptr, icon, {}, QString::fromStdString(text)); },
                           {On<QMessageBox>([](QMessageBox& box) {
                             const auto* label = box.findChild<QLabel*>("qt_msgbox_label");
                             EXPECT_LT(label->height(), 2 * label->fontMetrics().lineSpacing());
                             box.accept();
                           })}),
              1u);
  }
}

}  // namespace
}  // namespace velunor
