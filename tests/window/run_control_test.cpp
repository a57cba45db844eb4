#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../support/file_snapshot.h"
#include "../support/temp_dir.h"
#include "dialog_driver.h"
#include "form1.h"
#include "run_time_error.h"
#include "st_progress_bar.h"

namespace velunor {
namespace {

using testing::AnswerInTurn;
using testing::CloseModal;
using testing::Confirm;
using testing::ModalAnswer;
using testing::NameEdit;
using testing::OnFileDialog;
using testing::OnMessage;
using testing::ReadFile;
using testing::ShownMessage;
using testing::SnapshotOf;
using testing::TempDir;
using testing::WriteFile;

// A log of channel-1 records, one per second of logging time, with CR LF endings, and one faulty
// record. Every record is written unchanged, so the CSV is the log without its faulty line.
std::string ChannelOneLog(int records) {
  std::string log;
  for (int i = 0; i < records; ++i) {
    std::string line = "$1;1;;" + std::to_string(i);
    line.resize(55, '0');
    log += line + "\r\n";
  }
  return log;
}
const std::string kFaultyLine = "$2;1;;short\r\n";

class RunControlTest : public ::testing::Test {
 protected:
  void SetUp() override { Restart(); }

  // A fresh window over a folder that holds only the log.
  void Restart() {
    form = nullptr;
    ended.clear();
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      std::filesystem::remove_all(entry.path());
    }
    WriteFile(log, log_bytes);
    form = std::make_unique<Form1>();
    form->EndProgram = [this](int status) { ended.push_back(status); };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // Chooses the log named name (in the test's folder) in the open dialog.
  ModalAnswer ChooseLog(const std::string& name = "m_DAT.LOG") {
    return OnFileDialog([name, this](QFileDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("Log-Datei zum Einlesen wählen..."));
      EXPECT_EQ(NameEdit(dialog).text(), QStringLiteral("*_DAT.LOG"));
      Confirm(dialog, QString::fromStdString(dir / name));
    });
  }

  // Checks that the save dialog proposes m.CSV beside the log, and confirms typed (the proposal
  // when empty); a question before replacing is answered with replace.
  ModalAnswer SaveAs(const std::string& typed = "", bool* asked = nullptr) {
    return OnFileDialog([=, this](QFileDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("CSV-Datei zum Speichern wählen..."));
      EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(dir.Path().string()));
      EXPECT_EQ(NameEdit(dialog).text(), QStringLiteral("m.CSV"));
      const QString question = testing::AnswerMessage(
          [&] {
            Confirm(dialog,
                    typed.empty() ? NameEdit(dialog).text() : QString::fromStdString(typed));
          },
          QMessageBox::Yes);
      if (asked) *asked = !question.isEmpty();
    });
  }

  // Clicks the file button and answers what it opens in turn.
  void Click(std::vector<ModalAnswer> answers) {
    const std::size_t count = answers.size();
    EXPECT_EQ(AnswerInTurn([&] { form->Command1->click(); }, std::move(answers)), count);
  }

  void ExpectUnlocked() const {
    for (QWidget* control :
         {static_cast<QWidget*>(form->Command1), static_cast<QWidget*>(form->Frame1),
          static_cast<QWidget*>(form->Frame2), static_cast<QWidget*>(form->Frame3)}) {
      EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
    }
    EXPECT_FALSE(form->Timer1->isActive());
  }

  TempDir dir;
  std::string log = dir / "m_DAT.LOG";
  std::string log_bytes = ChannelOneLog(150) + kFaultyLine;
  std::string csv = dir / "m.CSV";
  std::unique_ptr<Form1> form;
  std::vector<int> ended;
};

TEST_F(RunControlTest, ConvertsThroughTheSaveDialogAppendingOrReplacing) {
  const std::string converted = ChannelOneLog(150);
  const struct {
    bool append;
    const char* existing;  // nullptr: no file yet
    bool asked;
    std::string expected;
  } cases[] = {
      {false, nullptr, false, converted},
      {false, "old\r\n", true, converted},
      {true, "old\r\n", false, "old\r\n" + converted},
      {true, nullptr, false, converted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "append " << c.append << ", existing " << !!c.existing);
    std::filesystem::remove(csv);
    if (c.existing) WriteFile(csv, c.existing);
    form->Check2->setChecked(c.append);
    bool asked = false;
    ShownMessage summary;
    Click({ChooseLog(), SaveAs("", &asked), OnMessage(QMessageBox::Ok, &summary)});
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(ReadFile(csv), c.expected);
    EXPECT_EQ(summary.Title, QStringLiteral("Velunor"));
    EXPECT_EQ(summary.Text,
              QStringLiteral(" 8 KB von 8 KB geschrieben, 1 Zeile(n) mit Fehler ausgelassen."));
    EXPECT_EQ(summary.Icon, QMessageBox::NoIcon);
    EXPECT_EQ(summary.Buttons, QMessageBox::Ok);
    EXPECT_EQ(form->STprogressBar1->Value(), 100);
    EXPECT_EQ(form->Command1->text(), QStringLiteral("Datei..."));
    ExpectUnlocked();
  }
  EXPECT_TRUE(ended.empty());
}

TEST_F(RunControlTest, RefusesNamesThatAreNotDataLogs) {
  for (const char* name : {"x_dat.log", "DAT.LOG"}) {
    SCOPED_TRACE(name);
    WriteFile(dir / name, log_bytes);
    form->SetProgress(55);
    ShownMessage refusal;
    Click({ChooseLog(name), OnMessage(QMessageBox::Ok, &refusal)});
    EXPECT_EQ(refusal.Text, QString::fromUtf8("Dateiname ungültig..."));
    EXPECT_EQ(refusal.Title, QStringLiteral("Velunor"));
    EXPECT_EQ(refusal.Icon, QMessageBox::NoIcon);
    EXPECT_EQ(form->STprogressBar1->Value(), 0);
    EXPECT_EQ(form->Command1->text(), QStringLiteral("Datei..."));
    ExpectUnlocked();
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
  EXPECT_TRUE(ended.empty());
}

TEST_F(RunControlTest, CancelInEitherDialogLeavesTheWindowAsItWas) {
  const std::vector<ModalAnswer> cancels[] = {{CloseModal}, {ChooseLog(), CloseModal}};
  for (const auto& answers : cancels) {
    SCOPED_TRACE(answers.size());
    form->SetProgress(37);
    Click(answers);
    EXPECT_EQ(form->STprogressBar1->Value(), 37);
    EXPECT_EQ(form->Command1->text(), QStringLiteral("&Datei..."));
    ExpectUnlocked();
    EXPECT_FALSE(std::filesystem::exists(csv));
  }
  EXPECT_TRUE(ended.empty());
}

TEST_F(RunControlTest, SplitRunNamesItsFirstSliceItselfAndReplacesIt) {
  form->HScroll1->setValue(1);
  WriteFile(dir / "m_00d00h00m.CSV", "old slice, longer than the new one would be ...");
  Click({ChooseLog(), OnMessage(QMessageBox::Ok)});
  const std::string all = ChannelOneLog(150);
  const std::size_t minute = 60 * 57;
  EXPECT_EQ(ReadFile(dir / "m_00d00h00m.CSV"), all.substr(0, minute));
  EXPECT_EQ(ReadFile(dir / "m_00d00h01m.CSV"), all.substr(minute, minute));
  EXPECT_EQ(ReadFile(dir / "m_00d00h02m.CSV"), all.substr(2 * minute));
  EXPECT_FALSE(std::filesystem::exists(csv));
  EXPECT_EQ(form->STprogressBar1->Value(), 100);
  ExpectUnlocked();
}

TEST_F(RunControlTest, FatalErrorIsReportedAndEndsTheProgramWithTheWindowLocked) {
  const struct {
    const char* what;
    std::int32_t number;
    int split;
    const char* folder;  // created before the click: a file name taken by a folder
    const char* save_as;
    const char* removed_after_choice;
    const char* kept;  // what stays of the first output file
  } cases[] = {
      {"the log chosen as its own CSV", 55, 0, nullptr, "m_DAT.LOG", nullptr, nullptr},
      {"first slice name taken by a folder", 75, 1, "m_00d00h00m.CSV", nullptr, nullptr, nullptr},
      {"output folder gone after the choice", 76, 0, "out", "out/m.CSV", "out", nullptr},
      {"second slice name taken by a folder", 75, 1, "m_00d00h01m.CSV", nullptr, nullptr,
       "m_00d00h00m.CSV"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Restart();
    if (c.folder) std::filesystem::create_directory(dir / c.folder);
    form->HScroll1->setValue(c.split);
    const testing::FileSnapshot before = SnapshotOf(log);
    std::vector<ModalAnswer> answers{ChooseLog()};
    if (c.save_as) {
      answers.push_back(OnFileDialog([&](QFileDialog& dialog) {
        (void)testing::AnswerMessage([&] { Confirm(dialog, QString::fromUtf8(c.save_as)); },
                                     QMessageBox::Yes);
        if (c.removed_after_choice) std::filesystem::remove(dir / c.removed_after_choice);
      }));
    }
    ShownMessage fatal;
    answers.push_back(OnMessage(QMessageBox::Ok, &fatal));
    Click(std::move(answers));

    EXPECT_EQ(fatal.Title, QStringLiteral("Es ist ein Fehler aufgetreten - Programm-Ende:"));
    EXPECT_EQ(fatal.Text, QString::fromStdString(ErrorText(RunTimeError(c.number))));
    EXPECT_EQ(fatal.Icon, QMessageBox::Critical);
    EXPECT_EQ(fatal.Buttons, QMessageBox::Ok);
    EXPECT_EQ(ended, std::vector<int>{1});
    EXPECT_FALSE(form->Command1->isEnabled());
    EXPECT_EQ(SnapshotOf(log), before);
    if (c.kept) {
      EXPECT_EQ(ReadFile(dir / c.kept), ChannelOneLog(60));
    }
  }
}

TEST_F(RunControlTest, ClosingTheWindowDuringARunStopsItAndEndsTheProgramQuietly) {
  const std::string big = ChannelOneLog(200000);
  WriteFile(log, big);
  const testing::FileSnapshot before = SnapshotOf(log);
  // Closes the window at the run's first pass over the waiting events (a timer without interval
  // is due at every pass); the run notices at the end of that pass.
  QTimer closer;
  closer.setInterval(0);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (!form->Command1->isEnabled() && form->isVisible()) form->close();
  });
  closer.start();
  Click({ChooseLog(), SaveAs()});  // and no message

  EXPECT_EQ(ended, std::vector<int>{0});
  EXPECT_FALSE(form->isVisible());
  const std::string written = ReadFile(csv);
  EXPECT_GT(written.size(), 0u);
  EXPECT_LT(written.size(), big.size());
  EXPECT_EQ(written, big.substr(0, written.size()));
  EXPECT_TRUE(written.ends_with("\r\n"));
  EXPECT_EQ(SnapshotOf(log), before);
}

}  // namespace
}  // namespace velunor
