#include "common_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "dialog_driver.h"
#include "german_translation.h"
#include "run_time_error.h"

namespace velunor {
namespace {

using testing::Answer;
using testing::AnswerMessage;
using testing::Button;
using testing::Confirm;
using testing::NameEdit;
using testing::TempDir;
using testing::WriteFile;

constexpr long kOpenFlags = 0x201004;
constexpr long kAppendSaveFlags = 0x208800;
constexpr long kReplaceSaveFlags = 0x208802;

QStringList ListedNow(QFileDialog& dialog) {
  auto* model = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
  const QModelIndex folder = model->index(dialog.directory().absolutePath());
  QStringList names;
  for (int row = 0; row < model->rowCount(folder); ++row) {
    names << model->fileName(model->index(row, 0, folder));
  }
  names.sort();
  return names;
}

// The names the dialog lists once it has read its folder (it reads in the background).
QStringList Listed(QFileDialog& dialog, const QStringList& expected) {
  (void)QTest::qWaitFor([&] { return ListedNow(dialog) == expected; }, 5000);
  QTest::qWait(100);  // time for names that do not belong to turn up
  return ListedNow(dialog);
}

QString Q(const std::string& path) {
  return QString::fromStdString(path);
}

class CommonDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InstallGermanTranslation(*QCoreApplication::instance()); }

  void SetUp() override {
    for (const char* name : {"x_DAT.LOG", "y_dat.log", "z.CSV", "other.LOG", "x_DAT.LOG.bak"}) {
      WriteFile(dir_ / name, "");
    }
  }

  CommonDialog OpenDialog() {
    CommonDialog dialog;
    dialog.DialogTitle = QString::fromUtf8("Log-Datei zum Einlesen wählen...");
    dialog.Filter = QStringLiteral("Log-Dateien (*.Log)|*.Log");
    dialog.Flags = kOpenFlags;
    dialog.CancelError = true;
    return dialog;
  }

  CommonDialog SaveDialog(long flags, const std::string& file_name) {
    CommonDialog dialog;
    dialog.DialogTitle = QString::fromUtf8("CSV-Datei zum Speichern wählen...");
    dialog.Filter = QStringLiteral("CSV-Dateien (*.CSV)|*.CSV");
    dialog.Flags = flags;
    dialog.CancelError = true;
    dialog.FileName = file_name;
    return dialog;
  }

  TempDir dir_;
};

TEST_F(CommonDialogTest, CancelRaises32755OnlyWithCancelError) {
  for (bool save : {false, true}) {
    for (bool cancel_error : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "save " << save << ", CancelError " << cancel_error);
      CommonDialog dialog = save ? SaveDialog(kReplaceSaveFlags, dir_ / "x.CSV") : OpenDialog();
      dialog.CancelError = cancel_error;
      dialog.FileName = dir_ / "x_DAT.LOG";
      int number = 0;
      try {
        Answer([&] { save ? dialog.ShowSave() : dialog.ShowOpen(); },
               [](QFileDialog& shown) { shown.reject(); });
      } catch (const RunTimeError& error) {
        number = error.Number();
      }
      EXPECT_EQ(number, cancel_error ? error_number::kCancel : 0);
      EXPECT_EQ(dialog.FileName, dir_ / "x_DAT.LOG");
    }
  }
}

TEST_F(CommonDialogTest, PresetWildcardListsMatchingLogsOfAnyCaseInWorkingDirectory) {
  const QString previous = QDir::currentPath();
  QDir::setCurrent(Q(dir_.Path().string()));
  const struct {
    const char* chosen;
    std::string expected;
  } cases[] = {{"x_DAT.LOG", dir_ / "x_DAT.LOG"}, {"y_dat.log", dir_ / "y_dat.log"}};
  for (const auto& c : cases) {
    CommonDialog dialog = OpenDialog();
    dialog.FileName = "*_DAT.LOG";
    Answer([&] { dialog.ShowOpen(); },
           [&](QFileDialog& shown) {
             EXPECT_EQ(shown.directory().absolutePath(), Q(dir_.Path().string()));
             const QStringList logs{"x_DAT.LOG", "y_dat.log"};
             EXPECT_EQ(Listed(shown, logs), logs);
             Confirm(shown, QString::fromUtf8(c.chosen));
           });
    EXPECT_EQ(dialog.FileName, c.expected);
  }
  QDir::setCurrent(previous);
}

TEST_F(CommonDialogTest, ConfirmedWildcardFiltersTheListInsteadOfBeingChosen) {
  CommonDialog dialog = OpenDialog();
  dialog.FileName = dir_ / "";
  Answer([&] { dialog.ShowOpen(); },
         [&](QFileDialog& shown) {
           const QStringList logs{"other.LOG", "x_DAT.LOG", "y_dat.log"};
           EXPECT_EQ(Listed(shown, logs), logs);
           // The open button takes a wildcard although no such file exists.
           NameEdit(shown).setText(QStringLiteral("*.csv"));
           ASSERT_TRUE(Button(shown, QDialogButtonBox::Open).isEnabled());
           Button(shown, QDialogButtonBox::Open).click();
           EXPECT_TRUE(shown.isVisible());
           EXPECT_EQ(Listed(shown, {"z.CSV"}), QStringList{"z.CSV"});
           Confirm(shown, QStringLiteral("?_DAT.LOG;Z.*"));
           EXPECT_TRUE(shown.isVisible());
           const QStringList three{"x_DAT.LOG", "y_dat.log", "z.CSV"};
           EXPECT_EQ(Listed(shown, three), three);
           Confirm(shown, QStringLiteral("z.CSV"));
         });
  EXPECT_EQ(dialog.FileName, dir_ / "z.CSV");
}

TEST_F(CommonDialogTest, OpenRefusesMissingFileOnlyWhenItMustExist) {
  for (long flags : {kOpenFlags, 0L}) {
    SCOPED_TRACE(flags);
    CommonDialog dialog = OpenDialog();
    dialog.Flags = flags;
    dialog.CancelError = false;
    dialog.FileName = dir_ / "x_DAT.LOG";
    bool refused = false;
    Answer([&] { dialog.ShowOpen(); },
           [&](QFileDialog& shown) {
             const QString message = AnswerMessage(
                 [&] { Confirm(shown, QStringLiteral("missing_DAT.LOG")); }, QMessageBox::Ok);
             refused = shown.isVisible();
             EXPECT_EQ(refused, !message.isEmpty());
             if (refused) {
               EXPECT_TRUE(message.contains(QStringLiteral("missing_DAT.LOG")))
                   << message.toStdString();
               shown.reject();
             }
           });
    EXPECT_EQ(refused, flags != 0);
    EXPECT_EQ(dialog.FileName, refused ? dir_ / "x_DAT.LOG" : dir_ / "missing_DAT.LOG");
  }
}

TEST_F(CommonDialogTest, SaveOpensInTheGivenFolderAndTakesNamesAsTyped) {
  const struct {
    const char* typed;  // nullptr: the proposed name
    std::string expected;
  } cases[] = {{nullptr, dir_ / "new.CSV"}, {"ausgabe", dir_ / "ausgabe"}};
  for (const auto& c : cases) {
    CommonDialog dialog = SaveDialog(kReplaceSaveFlags, dir_ / "new.CSV");
    Answer([&] { dialog.ShowSave(); },
           [&](QFileDialog& shown) {
             EXPECT_EQ(shown.directory().absolutePath(), Q(dir_.Path().string()));
             EXPECT_EQ(NameEdit(shown).text(), QStringLiteral("new.CSV"));
             EXPECT_EQ(Listed(shown, {"z.CSV"}), QStringList{"z.CSV"});
             if (c.typed) NameEdit(shown).setText(QString::fromUtf8(c.typed));
             const QString message =
                 AnswerMessage([&] { static_cast<QDialog&>(shown).accept(); }, QMessageBox::No);
             EXPECT_TRUE(message.isEmpty()) << message.toStdString();
           });
    EXPECT_EQ(dialog.FileName, c.expected);
  }
}

TEST_F(CommonDialogTest, SaveAsksBeforeReplacingOnlyWhenTold) {
  const struct {
    long flags;
    QMessageBox::StandardButton answer;
    bool asked;
    bool chosen;
  } cases[] = {
      {kReplaceSaveFlags, QMessageBox::Yes, true, true},
      {kReplaceSaveFlags, QMessageBox::No, true, false},
      {kAppendSaveFlags, QMessageBox::No, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.flags << " answered " << c.answer);
    CommonDialog dialog = SaveDialog(c.flags, dir_ / "z.CSV");
    dialog.CancelError = false;
    Answer([&] { dialog.ShowSave(); },
           [&](QFileDialog& shown) {
             const QString message =
                 AnswerMessage([&] { static_cast<QDialog&>(shown).accept(); }, c.answer);
             EXPECT_EQ(!message.isEmpty(), c.asked);
             if (c.asked) {
               EXPECT_TRUE(message.contains(QStringLiteral("z.CSV existiert bereits")))
                   << message.toStdString();
             }
             EXPECT_EQ(shown.isVisible(), !c.chosen);
             if (shown.isVisible()) shown.reject();
           });
    EXPECT_EQ(dialog.FileName, dir_ / "z.CSV");
  }
}

TEST_F(CommonDialogTest, SaveRefusesReadOnlyFilesAndMissingFolders) {
  ::chmod((dir_ / "z.CSV").c_str(), 0444);
  WriteFile(dir_ / "w.CSV", "");
  ::chmod((dir_ / "w.CSV").c_str(), 0200);
  const struct {
    const char* typed;
    long flags;
    const char* refusal;  // nullptr: chosen
  } cases[] = {
      // Read-only by its mode, also for root, whom the kernel would let write.
      {"z.CSV", kAppendSaveFlags, "schreibgeschützt"},
      {"z.CSV", kReplaceSaveFlags, "schreibgeschützt"},
      {"z.CSV", 0, nullptr},
      {"w.CSV", kAppendSaveFlags, nullptr},
      {"missing/a.CSV", kAppendSaveFlags, "Der Pfad existiert nicht"},
      {"missing/a.CSV", 0, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.typed << " " << c.flags);
    CommonDialog dialog = SaveDialog(c.flags, dir_ / "new.CSV");
    dialog.CancelError = false;
    Answer([&] { dialog.ShowSave(); },
           [&](QFileDialog& shown) {
             const QString message = AnswerMessage(
                 [&] { Confirm(shown, QString::fromUtf8(c.typed)); }, QMessageBox::Ok);
             EXPECT_EQ(shown.isVisible(), c.refusal != nullptr);
             if (c.refusal) {
               EXPECT_TRUE(message.contains(QString::fromUtf8(c.refusal))) << message.toStdString();
             } else {
               EXPECT_TRUE(message.isEmpty()) << message.toStdString();
             }
             if (shown.isVisible()) shown.reject();
           });
    EXPECT_EQ(dialog.FileName, c.refusal ? dir_ / "new.CSV" : dir_ / c.typed);
  }
}

TEST_F(CommonDialogTest, ShowsTitleAndFilterOfTheDesignWithGermanButtons) {
  CommonDialog dialog = SaveDialog(kReplaceSaveFlags, dir_ / "new.CSV");
  dialog.CancelError = false;
  Answer([&] { dialog.ShowSave(); },
         [](QFileDialog& shown) {
           EXPECT_EQ(shown.windowTitle(), QString::fromUtf8("CSV-Datei zum Speichern wählen..."));
           EXPECT_EQ(shown.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText(),
                     QStringLiteral("CSV-Dateien (*.CSV)"));
           EXPECT_EQ(Button(shown, QDialogButtonBox::Cancel).text(), QStringLiteral("Abbrechen"));
           EXPECT_EQ(Button(shown, QDialogButtonBox::Save).text().remove(u'&'),
                     QStringLiteral("Speichern"));
           shown.reject();
         });
}

}  // namespace
}  // namespace velunor
