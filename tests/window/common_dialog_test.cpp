#include "common_dialog.h"

#include <sys/stat.h>

#include "../support/temp_dir.h"
#include "dialog_driver.h"
#include "german_translation.h"

namespace velunor {
namespace {

using namespace testing;

// The names the dialog lists once it has read its folder in the background, count of them, and
// a moment later, when names that do not belong would have turned up.
QStringList Listed(QFileDialog& dialog, int count) {
  auto* model = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
  const QModelIndex folder = model->index(dialog.directory().absolutePath());
  (void)QTest::qWaitFor([&] { return model->rowCount(folder) == count; }, 5000);
  QTest::qWait(100);
  QStringList names;
  for (int row = 0; row < model->rowCount(folder); ++row) {
    names << model->fileName(model->index(row, 0, folder));
  }
  names.sort();
  return names;
}

class CommonDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallGermanTranslation(*QCoreApplication::instance());
    for (const char* name : {"x_DAT.LOG", "y_dat.log", "z.CSV", "other.LOG", "r.CSV"}) {
      WriteFile(dir / name, "");
    }
    ::chmod((dir / "r.CSV").c_str(), 0444);  // read-only, also for root
  }

  TempDir dir;
};

TEST_F(CommonDialogTest, WildcardsListMatchingNamesOfAnyCaseAndATypedOneFiltersAgain) {
  CommonDialog dialog;
  dialog.Filter = QStringLiteral("Log-Dateien (*.Log)|*.Log");
  dialog.Flags = 0x201004;
  dialog.FileName = dir / "*_DAT.LOG";
  const auto answer = [&](QFileDialog& shown) {
    EXPECT_EQ(Listed(shown, 2), QStringList({"x_DAT.LOG", "y_dat.log"}));
    Confirm(shown, QStringLiteral("?_DAT.LOG;Z.*"));
    EXPECT_EQ(Listed(shown, 3), QStringList({"x_DAT.LOG", "y_dat.log", "z.CSV"}));
    Confirm(shown, QStringLiteral("y_dat.log"));
  };
  EXPECT_EQ(AnswerInTurn([&] { dialog.ShowOpen(); }, {On<QFileDialog>(answer)}), 1u);
  EXPECT_EQ(dialog.FileName, dir / "y_dat.log");
}

TEST_F(CommonDialogTest, SaveAsksBeforeReplacingOnlyWhenToldAndRefusesWhatCannotBeWritten) {
  const long append = 0x208800, replace = append | 0x2;
  // The name typed and confirmed, the flags, the answer to a message and what it says ("": none).
  const std::tuple<const char*, long, QMessageBox::StandardButton, const char*> cases[] = {
      {"z.CSV", replace, QMessageBox::Yes, "z.CSV existiert bereits"},
      {"z.CSV", replace, QMessageBox::No, "z.CSV existiert bereits"},
      {"z.CSV", append, QMessageBox::Ok, ""},
      {"r.CSV", append, QMessageBox::Ok, "schreibgeschützt"},
      {"r.CSV", 0, QMessageBox::Ok, ""},
      {"missing/a.CSV", append, QMessageBox::Ok, "Der Pfad existiert nicht"},
  };
  for (const auto& [typed, flags, button, text] : cases) {
    SCOPED_TRACE(::testing::Message() << typed << " " << flags << " answered " << button);
    const bool chosen = !*text || button == QMessageBox::Yes;
    CommonDialog dialog;
    dialog.Flags = flags;
    dialog.FileName = dir / "new.CSV";
    const auto answer = [&](QFileDialog& shown) {
      ShownMessage message;
      AnswerInTurn([&] { Confirm(shown, QString::fromUtf8(typed)); },
                   {OnMessage(button, &message)});
      EXPECT_EQ(message.Text.isEmpty(), !*text) << message.Text.toStdString();
      EXPECT_TRUE(message.Text.contains(QString::fromUtf8(text)));
      EXPECT_EQ(shown.isVisible(), !chosen);
      if (shown.isVisible()) shown.reject();
    };
    EXPECT_EQ(AnswerInTurn([&] { dialog.ShowSave(); }, {On<QFileDialog>(answer)}), 1u);
    EXPECT_EQ(dialog.FileName, chosen ? dir / typed : dir / "new.CSV");
  }
}

}  // namespace
}  // namespace velunor
