// The window: its settings, its displays and the file button's click, driven as the user would.
#include "form1.h"

#include <memory>

#include "../support/file_snapshot.h"
#include "../support/temp_dir.h"
#include "dialog_driver.h"
#include "duration_labels.h"
#include "st_progress_bar.h"

namespace velunor {
namespace {

using namespace testing;

// Channel-1 records, one per second of logging time, with CR LF endings. They are written
// unchanged, so their CSV is the same text.
std::string ChannelOneRecords(int count) {
  std::string records;
  for (int i = 0; i < count; ++i) {
    records += ("$1;1;;" + std::to_string(i) + std::string(55, '0')).substr(0, 55) + "\r\n";
  }
  return records;
}

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }

  // A fresh window over a folder that holds only the logs.
  void Restart(const std::string& log_bytes = ChannelOneRecords(150) + "$2;1;;faulty\r\n") {
    ended.clear();
    shown = {};
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      std::filesystem::remove_all(entry.path());
    }
    WriteFile(log, log_bytes);
    WriteFile(dir / "x_dat.log", log_bytes);
    form = std::make_unique<Form1>();
    form->EndProgram = [this](int status) { ended.push_back(status); };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // Without a split the append box is offered, unticked, and covers the red note; with one the
  // note shows instead.
  void ExpectAppendOffered(bool offered) {
    EXPECT_EQ(form->Check2->isVisible() && form->Check2->isEnabled(), offered);
    EXPECT_EQ(form->Label1->isVisible(), !offered);
    EXPECT_FALSE(form->Check2->isChecked());
  }

  // Checks the preset wildcard and chooses the log named name.
  ModalAnswer ChooseLog(const std::string& name = "m_DAT.LOG") {
    return On<QFileDialog>([name, this](QFileDialog& dialog) {
      EXPECT_EQ(NameEdit(dialog).text(), QStringLiteral("*_DAT.LOG"));
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
  std::string log = dir / "m_DAT.LOG";
  std::unique_ptr<Form1> form;
  std::vector<int> ended;  // the exit statuses the program was ended with
  ShownMessage shown;
  ModalAnswer message = OnMessage(QMessageBox::Ok, &shown);
};

TEST_F(Form1Test, StartsWithTheDesignedDefaultsAndAltDClicksTheFileButton) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Velunor V2.0.2"));
  EXPECT_EQ(form->Command1->text(), QStringLiteral("&Datei..."));
  EXPECT_EQ(form->STprogressBar1->Value(), 0);
  EXPECT_TRUE(form->Option1[1]->isChecked());
  ExpectAppendOffered(true);
  EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
  EXPECT_EQ(form->HScroll1->value(), 0);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QSignalSpy clicks(form->Command1, &QPushButton::clicked);
  QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);  // shows the button pressed, then clicks
  EXPECT_EQ(AnswerInTurn([&] { clicks.wait(1000); }, {CloseModal}), 1u);  // the open dialog
}

TEST_F(Form1Test, SplitIntervalUnticksAndHidesAppendAndFollowsOnlyAReleasedThumb) {
  QScrollBar* s = form->HScroll1;
  // A click at x (none when -1), then keys, and the interval shown. The right arrow key grows the
  // interval, though Qt's own horizontal scroll bar takes it the other way.
  const std::tuple<int, std::vector<Qt::Key>, const char*> moves[] = {
      {s->width() / 2, {}, "01 h, 00 min"},  // into the track
      {-1, {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}, "00 h, 02 min"},
      {-1, {Qt::Key_End}, "48 h, 00 min"}};
  for (const auto& [x, keys, text] : moves) {
    form->Check2->setChecked(true);
    if (x >= 0) QTest::mouseClick(s, Qt::LeftButton, {}, {x, 8});
    for (Qt::Key key : keys) QTest::keyClick(s, key);
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

// The append and split settings reach the run through ReadRunOptions too; the run tests below
// show them at work.
TEST_F(Form1Test, ReadRunOptionsTakesTheStatusChannelModeFromTheSelectedOption) {
  const StatusChannelMode modes[] = {StatusChannelMode::CopyUnchanged, StatusChannelMode::Transform,
                                     StatusChannelMode::Discard};
  for (int index : {0, 2, 1}) {
    form->Option1[index]->click();
    EXPECT_EQ(form->ReadRunOptions().StatusChannelMode, modes[index]) << index;
  }
}

TEST_F(Form1Test, OutputSizeDisplayShowsKilobytesRoundedHalfToEven) {
  form->Timer1->setInterval(10);  // a quicker tick than a run's second
  form->StartOutputSizeDisplay();
  for (const auto& [bytes, kilobytes] : {std::pair{512, 0}, {1536, 2}, {2560, 2}, {123456, 121}}) {
    form->BytesWritten() = bytes;
    const QString caption = QStringLiteral(" %1 KB Out...").arg(kilobytes);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->Command1->text() == caption; }, 2000)) << bytes;
  }
}

TEST_F(Form1Test, LockedWindowIgnoresTheUserAndIsUnlockedWithoutAccessKey) {
  form->LockForRun();
  const auto use = [&] {  // a click on the file button that got through would open a dialog
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Option1[0], Qt::LeftButton, {}, QPoint(6, 10));
    QTest::mouseClick(form->Check2, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::keyClick(form->HScroll1, Qt::Key_Right);
  };
  EXPECT_EQ(AnswerInTurn(use, {}), 0u);
  EXPECT_TRUE(form->Option1[1]->isChecked() && !form->Check2->isChecked());
  EXPECT_EQ(form->HScroll1->value(), 0);
  form->UnlockAfterRun();
  EXPECT_EQ(form->Command1->text(), QStringLiteral("Datei..."));
  EXPECT_TRUE(form->Command1->isEnabled() && form->Frame1->isEnabled() &&
              form->Frame2->isEnabled() && form->Frame3->isEnabled());
}

TEST_F(Form1Test, ProgressBarShowsTheRampUpToThePositionAndRepaintsOnlyOnAChange) {
  STprogressBar& bar = *form->STprogressBar1;
  form->SetProgress(50);
  const QImage half = bar.grab().toImage();  // the ramp's column x is drawn at x + 2
  EXPECT_EQ(QColor(half.pixel(2 + 83, 3)), QColor(255, 128, 0));  // half way from red to yellow
  EXPECT_EQ(QColor(half.pixel(2 + 200, 3)), bar.palette().color(QPalette::Button));
  form->SetProgress(150);
  EXPECT_EQ(bar.Value(), 100);
  EXPECT_EQ(QColor(bar.grab().toImage().pixel(2 + 249, 3)), QColor(128, 255, 0));  // yellow-green

  // The run sets the position after every line: the same position again must not repaint.
  struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      paints += event->type() == QEvent::Paint;
      return false;
    }
  } counter;
  bar.installEventFilter(&counter);
  QTest::qWait(50);  // the repaint of the last change
  for (bool change : {false, true}) {
    counter.paints = 0;
    for (int i = 0; i < 1000; ++i) form->SetProgress(change ? 40 : 100);
    QTest::qWait(50);
    EXPECT_EQ(counter.paints > 0, change);
  }
}

TEST_F(Form1Test, AcceptedLogIsConvertedIntoTheChosenOrTheFirstSliceFile) {
  const std::string all = ChannelOneRecords(150);
  // Append ticked, split minutes, the answers to the click, and the first output file with its
  // contents before and after: replaced after asking; appended to without asking; a split's first
  // slice replaced unasked.
  const std::tuple<bool, int, std::vector<ModalAnswer>, std::string, std::string, std::string>
      cases[] = {
          {false, 0, {ChooseLog(), SaveAs(true), message}, "m.CSV", "old\r\n", all},
          {true, 0, {ChooseLog(), SaveAs(false), message}, "m.CSV", "old\r\n", "old\r\n" + all},
          {false, 1, {ChooseLog(), message}, "m_00d00h00m.CSV", all + all, all.substr(0, 60 * 57)},
      };
  for (const auto& [append, split, answers, file, existing, expected] : cases) {
    Restart();
    WriteFile(dir / file, existing);
    form->Check2->setChecked(append);
    form->HScroll1->setValue(split);
    Click(answers);
    EXPECT_EQ(ReadFile(dir / file), expected) << file;
    EXPECT_EQ(shown.Text, u" 8 KB von 8 KB geschrieben, 1 Zeile(n) mit Fehler ausgelassen.");
    EXPECT_EQ(form->STprogressBar1->Value(), 100);
    EXPECT_EQ(form->Command1->text(), QStringLiteral("Datei..."));
    EXPECT_TRUE(form->Command1->isEnabled() && form->Frame1->isEnabled() &&
                form->Frame2->isEnabled() && form->Frame3->isEnabled());
    EXPECT_TRUE(ended.empty());
  }
}

TEST_F(Form1Test, RefusedNameOrCancelWritesNothingAndLeavesTheWindowUsable) {
  // The answers to the click, the message shown and the progress bar after (37 before).
  const std::tuple<std::vector<ModalAnswer>, const char*, int> cases[] = {
      {{ChooseLog("x_dat.log"), message}, "Dateiname ungültig...", 0},
      {{CloseModal}, "", 37},
      {{ChooseLog(), CloseModal}, "", 37}};
  for (const auto& [answers, text, bar] : cases) {
    Restart();
    form->SetProgress(37);
    Click(answers);
    EXPECT_EQ(shown.Text, QString::fromUtf8(text));
    EXPECT_EQ(form->STprogressBar1->Value(), bar);
    EXPECT_EQ(form->Command1->text(), *text ? u"Datei..." : u"&Datei...");
    EXPECT_TRUE(form->Command1->isEnabled() && form->Frame1->isEnabled());
    EXPECT_FALSE(std::filesystem::exists(dir / "m.CSV"));
  }
}

TEST_F(Form1Test, FatalErrorIsReportedAndEndsTheProgramWithTheWindowLockedAndTheLogUntouched) {
  for (int number : {55, 75}) {
    Restart();
    const FileSnapshot before = SnapshotOf(log);
    if (number == 55) {
      Click({ChooseLog(), SaveAs(true, "m_DAT.LOG"), message});  // the log as its own CSV
    } else {  // the second slice's name taken by a folder
      std::filesystem::create_directory(dir / "m_00d00h01m.CSV");
      form->HScroll1->setValue(1);
      Click({ChooseLog(), message});
      EXPECT_EQ(ReadFile(dir / "m_00d00h00m.CSV"), ChannelOneRecords(60));
    }
    EXPECT_EQ(shown.Title, QStringLiteral("Es ist ein Fehler aufgetreten - Programm-Ende:"));
    EXPECT_EQ(shown.Text, QString::fromStdString(ErrorText(RunTimeError(number))));
    EXPECT_EQ(shown.Icon, QMessageBox::Critical);
    EXPECT_EQ(ended, std::vector<int>{1});
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_EQ(SnapshotOf(log), before);
  }
}

}  // namespace
}  // namespace velunor
