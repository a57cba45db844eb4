// The file dialog drawn with Qt: what its flags allow, the names it chooses.
#include "common_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include "../../support/temp_dir.h"
#include "dialog_driver.h"
#include "german_translation.h"
#include "run_time_error.h"

namespace velunor {
namespace {

using namespace testing;

// Saving asks before replacing only when told and refuses what cannot be written; a typed
// wildcard filters the list and chooses nothing. A folder whose name Qt cannot show (not UTF-8) or
// a name with a wildcard is still chosen, byte for byte. A cancel raises an error only when told.
TEST(CommonDialogTest, ChoosesWhatTheFlagsAllowByItsFullPathEvenWhereQtCannotNameIt) {
  InstallGermanTranslation(*QCoreApplication::instance());
  TempDir dir;
  const std::string d = dir / "", l = dir / "M\xe4rz/";  // Latin-1, the working folder
  std::filesystem::create_directory(l);
  for (const std::string& name : {l + "m_DAT.LOG", d + "a*b_DAT.LOG", d + "z.CSV", d + "r.CSV"})
    WriteFile(name, "");
  ::chmod((d + "r.CSV").c_str(), 0444);  // read-only, also for root
  const std::string working = std::filesystem::current_path();
  ASSERT_EQ(::chdir(l.c_str()), 0);
  using enum QMessageBox::StandardButton;
  const long open = 0x201004, append = 0x208800, replace = append | 0x2;
  // Flags, the proposed name, the name typed ("": the proposal), the answer to a message and what
  // it says ("": none), the path chosen ("": none, the dialog stays open).
  const std::tuple<long, std::string, const char*, QMessageBox::StandardButton, const char*,
                   std::string>
      cases[] = {
          {replace, d + "n.CSV", "z.CSV", Yes, "z.CSV existiert bereits", d + "z.CSV"},
          {replace, d + "n.CSV", "z.CSV", No, "z.CSV existiert bereits", ""},
          {append, d + "n.CSV", "z.CSV", Ok, "", d + "z.CSV"},
          {append, d + "n.CSV", "r.CSV", Ok, "schreibgeschützt", ""},
          {0, d + "n.CSV", "r.CSV", Ok, "", d + "r.CSV"},
          {append, d + "n.CSV", "missing/a.CSV", Ok, "Der Pfad existiert nicht", ""},
          {open, "*_DAT.LOG", "m_DAT.LOG", Ok, "", l + "m_DAT.LOG"},
          {open, l + "*_DAT.LOG", "m_DAT.LOG", Ok, "", l + "m_DAT.LOG"},
          {open, d + "*_DAT.LOG", "", Ok, "", ""},
          {open, d + "*_DAT.LOG", "?_DAT.LOG;Z.*", Ok, "", ""},
          {open, d + "*_DAT.LOG", "a*b_DAT.LOG", Ok, "", d + "a*b_DAT.LOG"},
          {open, d + "*_DAT.LOG", "b_DAT.LOG", Ok, "nicht gefunden", ""},
          {replace, l + "m.CSV", "", Ok, "", l + "m.CSV"},
          {replace, d + "a*b.CSV", "", Ok, "", d + "a*b.CSV"},
      };
  for (const auto& [flags, proposed, typed, button, text, path] : cases) {
    SCOPED_TRACE(::testing::Message() << proposed << " " << typed << " answered " << button);
    CommonDialog dialog;
    dialog.Flags = flags;
    dialog.FileName = proposed;
    if (flags == append) dialog.CancelError = true;  // else as it starts: a quiet cancel
    bool chosen = false;
    int thrown = 0;
    const auto answer = [&](QFileDialog& shown) {
      const QString name = *typed ? QString::fromUtf8(typed) : NameEdit(shown).text();
      const auto message = OnMessage(button, QString::fromUtf8(text));
      EXPECT_EQ(AnswerInTurn([&] { Confirm(shown, name); }, {message}), *text ? 1u : 0u);
      chosen = !shown.isVisible();
      if (!chosen && !*text) {  // a wildcard: the list shows what it lets through
        EXPECT_EQ(shown.findChild<QFileSystemModel*>()->nameFilters(), name.split(u';'));
      }
      if (!chosen) shown.reject();
    };
    AnswerInTurn(
        [&] {
          try {
            flags == open ? dialog.ShowOpen() : dialog.ShowSave();
          } catch (const RunTimeError& error) {
            thrown = error.Number();
          }
        },
        {On<QFileDialog>(answer)});
    EXPECT_EQ(dialog.FileName, chosen ? path : proposed);
    EXPECT_EQ(thrown, !chosen && flags == append ? 32755 : 0);
  }
  ASSERT_EQ(::chdir(working.c_str()), 0);
}

}  // namespace
}  // namespace velunor
