#include "common_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include "../../support/temp_dir.h"
#include "dialog_driver.h"
#include "german_translation.h"

namespace velunor {
namespace {

using namespace testing;

// The names listed once count of them are, and a moment later, when any others would be.
QStringList Listed(QFileDialog& dialog, int count) {
  auto* model = dialog.findChild<QFileSystemModel*>(QStringLiteral("qt_filesystem_model"));
  const QModelIndex folder = model->index(dialog.directory().absolutePath());
  (void)QTest::qWaitFor([&] { return model->rowCount(folder) == count; }, 5000);
  QTest::qWait(100);
  QStringList names;
  for (int row = 0; row < model->rowCount(folder); ++row)
    names << model->index(row, 0, folder).data().toString();
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
  dialog.Filter = "Log-Dateien (*.Log)|*.Log";
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

// Saving asks before replacing only when told and refuses what cannot be written. A folder whose
// name Qt cannot show (not UTF-8) or a name with a wildcard is still chosen, byte for byte.
TEST_F(CommonDialogTest, ChoosesWhatTheFlagsAllowByItsFullPathEvenWhereQtCannotNameIt) {
  const std::string d = dir / "", l = dir / "M\xe4rz/";  // Latin-1, the working folder
  std::filesystem::create_directory(l);
  for (const std::string& log : {l + "m_DAT.LOG", d + "a*b_DAT.LOG"}) WriteFile(log, "");
  const std::string working = std::filesystem::current_path();
  ASSERT_EQ(::chdir(l.c_str()), 0);
  const long open = 0x201004, append = 0x208800, replace = append | 0x2;
  // Flags, the proposed name, the name typed ("": the proposal), the answer to a message and what
  // it says ("": none), and the path chosen ("": none, the dialog stays open).
  const std::tuple<long, std::string, const char*, QMessageBox::StandardButton, const char*,
                   std::string>
      cases[] = {
          {replace, d + "n.CSV", "z.CSV", QMessageBox::Yes, "z.CSV existiert bereits", d + "z.CSV"},
          {replace, d + "n.CSV", "z.CSV", QMessageBox::No, "z.CSV existiert bereits", ""},
          {append, d + "n.CSV", "z.CSV", QMessageBox::Ok, "", d + "z.CSV"},
          {append, d + "n.CSV", "r.CSV", QMessageBox::Ok, "schreibgeschützt", ""},
          {0, d + "n.CSV", "r.CSV", QMessageBox::Ok, "", d + "r.CSV"},
          {append, d + "n.CSV", "missing/a.CSV", QMessageBox::Ok, "Der Pfad existiert nicht", ""},
          {open, "*_DAT.LOG", "m_DAT.LOG", QMessageBox::Ok, "", l + "m_DAT.LOG"},
          {open, l + "*_DAT.LOG", "m_DAT.LOG", QMessageBox::Ok, "", l + "m_DAT.LOG"},
          {open, d + "*_DAT.LOG", "a*b_DAT.LOG", QMessageBox::Ok, "", d + "a*b_DAT.LOG"},
          {open, d + "*_DAT.LOG", "b_DAT.LOG", QMessageBox::Ok, "nicht gefunden", ""},
          {replace, l + "m.CSV", "", QMessageBox::Ok, "", l + "m.CSV"},
          {replace, d + "a*b.CSV", "", QMessageBox::Ok, "", d + "a*b.CSV"},
      };
  for (const auto& [flags, proposed, typed, button, text, path] : cases) {
    SCOPED_TRACE(::testing::Message() << proposed << " " << typed << " answered " << button);
    CommonDialog dialog;
    dialog.Flags = flags;
    dialog.FileName = proposed;
    bool chosen = false;
    const auto answer = [&](QFileDialog& shown) {
      ShownMessage message;
      const QString name = *typed ? QString::fromUtf8(typed) : NameEdit(shown).text();
      AnswerInTurn([&] { Confirm(shown, name); }, {OnMessage(button, &message)});
      if (*text) {
        EXPECT_TRUE(message.Text.contains(QString::fromUtf8(text))) << message.Text.toStdString();
      } else {
        EXPECT_TRUE(message.Text.isEmpty()) << message.Text.toStdString();
      }
      chosen = !shown.isVisible();
      if (!chosen) shown.reject();
    };
    AnswerInTurn([&] { flags == open ? dialog.ShowOpen() : dialog.ShowSave(); },
                 {On<QFileDialog>(answer)});
    EXPECT_EQ(chosen ? dialog.FileName : "", path);
  }
  ASSERT_EQ(::chdir(working.c_str()), 0);
}

}  // namespace
}  // namespace velunor
