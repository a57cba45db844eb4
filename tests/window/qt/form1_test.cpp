// The window drawn with Qt: its controls, keys and split bar as the user meets them, and the file
// button's click through the real dialogs and message boxes.
#include "form1.h"

#include "../../support/temp_dir.h"
#include "dialog_driver.h"
#include "duration_labels.h"
#include "st_progress_bar.h"

namespace velunor {
namespace {

using namespace testing;

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form.EndProgram = [this](int status) { ended.push_back(status); };
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  }

  // Expects the open dialog titled as designed, in folder, with the preset; chooses name.
  ModalAnswer ChooseLog(const std::string& name, const QString& folder = QDir::currentPath()) {
    return On<QFileDialog>([=, this](QFileDialog& dialog) {
      EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Log-Datei zum Einlesen wählen..."));
      EXPECT_EQ(NameEdit(dialog).text(), QStringLiteral("*_DAT.LOG"));
      EXPECT_EQ(dialog.directory().absolutePath(), folder);
      Confirm(dialog, QString::fromStdString(dir / name));
    });
  }

  TempDir dir;
  Form1 form;
  std::vector<int> ended;  // the exit statuses the program was ended with
};

TEST_F(Form1Test, StartsWithTheDesignedDefaultsAndIsUsedByKeyboard) {
  EXPECT_EQ(form.Command1->text(), QStringLiteral("&Datei..."));
  EXPECT_TRUE(form.Check2->isVisible() && !form.Label1->isVisible());
  EXPECT_EQ(form.Text1->text(), QStringLiteral("Keine Teilung"));
  // Twips at the window's DPI (Text1 in its frame); every caption has room.
  EXPECT_EQ(form.Text1->geometry(), QRect(240, 16, 89, 19));
  for (QAbstractButton* button : form.findChildren<QAbstractButton*>())
    EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
  // Tab enters the option group at the selected option; the arrow keys move within it and select.
  using enum StatusChannelMode;
  const std::tuple<Qt::Key, QWidget*, StatusChannelMode> walk[] = {
      {Qt::Key_Tab, form.Option1[1], Transform},       {Qt::Key_Down, form.Option1[2], Discard},
      {Qt::Key_Up, form.Option1[1], Transform},        {Qt::Key_Up, form.Option1[0], CopyUnchanged},
      {Qt::Key_Tab, form.Check2, CopyUnchanged},       {Qt::Key_Tab, form.HScroll1, CopyUnchanged},
      {Qt::Key_Tab, form.Text1, CopyUnchanged},        {Qt::Key_Tab, form.Command1, CopyUnchanged},
      {Qt::Key_Tab, form.Option1[0], CopyUnchanged},      // now at the selected one
      {Qt::Key_Return, form.Option1[0], CopyUnchanged}};  // Return presses push buttons only
  for (const auto& [key, focused, mode] : walk) {
    QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(QApplication::focusWidget(), focused) << key;
    EXPECT_EQ(form.ReadRunOptions().StatusChannelMode, mode) << key;
  }
  // Alt+D, Return and Enter click; the next open dialog starts where the last log was chosen.
  std::filesystem::create_directory(dir / "sub");
  WriteFile(dir / "sub/x_dat.log", "");
  QSignalSpy clicks(form.Command1, &QPushButton::clicked);
  form.Command1->setFocus();
  for (const auto& [key, modifiers] : {std::pair{Qt::Key_D, Qt::AltModifier},
                                       {Qt::Key_Return, Qt::NoModifier},
                                       {Qt::Key_Enter, Qt::KeypadModifier}}) {
    const QString folder =
        clicks.empty() ? QDir::currentPath() : QString::fromStdString(dir / "sub");
    QTest::keyClick(form.Command1, key, modifiers);
    const auto message =
        OnMessage(QMessageBox::Ok, "Velunor: Dateiname ungültig...", QMessageBox::NoIcon);
    EXPECT_EQ(
        AnswerInTurn([&] { clicks.wait(1000); }, {ChooseLog("sub/x_dat.log", folder), message}), 2u)
        << key;
  }
}

TEST_F(Form1Test, SplitBarMovesByClickKeysAndWheelAndFollowsOnlyAReleasedThumb) {
  QScrollBar* s = form.HScroll1;
  // A click at x (-1: none), keys and notches of the wheel towards the user; the interval shown.
  const std::tuple<int, std::vector<Qt::Key>, int, const char*> moves[] = {
      {s->width() / 2, {}, 0, "01 h, 00 min"},  // into the track
      {-1, {Qt::Key_Left, Qt::Key_Right, Qt::Key_Right, Qt::Key_Right}, 0, "00 h, 03 min"},
      {-1, {Qt::Key_End}, 0, "48 h, 00 min"},
      {-1, {}, 1, "00 h, 01 min"}};
  for (const auto& [x, keys, notches, text] : moves) {
    form.Check2->setChecked(true);  // a split unticks append, disables and hides it
    if (x >= 0) QTest::mouseClick(s, Qt::LeftButton, {}, {x, 8});
    for (Qt::Key key : keys)  // the last one from the number pad
      QTest::keyClick(s, key, &key == &keys.back() ? Qt::KeypadModifier : Qt::NoModifier);
    QWheelEvent wheel({8, 8}, s->mapToGlobal(QPoint(8, 8)), {}, {0, -120 * notches}, Qt::NoButton,
                      {}, Qt::NoScrollPhase, false);
    if (notches) QApplication::sendEvent(s, &wheel);
    EXPECT_EQ(form.Text1->text(), QString::fromUtf8(text));
    EXPECT_TRUE(!form.Check2->isChecked() && !form.Check2->isEnabled() &&
                !form.Check2->isVisible() && form.Label1->isVisible());
    s->setValue(0);
    EXPECT_TRUE(form.Check2->isEnabled() && form.Check2->isVisible() && !form.Label1->isVisible());
  }
  const QPoint grip(s->height() + 3, s->height() / 2), dropped = grip + QPoint(100, 0);
  QTest::mousePress(s, Qt::LeftButton, {}, grip);
  QTest::mouseMove(s, dropped);
  EXPECT_EQ(form.Text1->text(), QStringLiteral("Keine Teilung"));  // nothing while dragging
  QTest::mouseRelease(s, Qt::LeftButton, {}, dropped);
  EXPECT_EQ(form.Text1->text().toStdString(), FormatSplitInterval(s->value() * 60));
}

TEST_F(Form1Test, TheTimerShowsTheOutputSizeAndTheBarTheSkinUpToThePercent) {
  form.Timer1->setInterval(10);  // a quicker tick than a run's second
  form.StartOutputSizeDisplay();
  form.BytesWritten() = 123456;
  EXPECT_TRUE(QTest::qWaitFor([&] { return form.Command1->text() == " 121 KB Out..."; }, 5000));
  form.SetProgress(50);  // the ramp's column x is drawn at x + 2, the button face beyond 50 %
  const QImage bar = form.STprogressBar1->grab().toImage();
  EXPECT_EQ(QColor(bar.pixel(2 + 83, 3)), QColor(255, 128, 0));
  EXPECT_EQ(QColor(bar.pixel(2 + 200, 3)), form.palette().color(QPalette::Button));
}

// The user chooses the log and the CSV file, tries every control during the run and closes the
// window: the run stops early and the program ends.
TEST_F(Form1Test, DuringARunTheWindowIgnoresTheUserAndClosingItStopsTheRun) {
  std::string records;  // no time tick: the run lets events through at a new percent only
  for (int i = 0; i < 2000; ++i) records += "$2;1;;" + std::string(49, '0') + "\r\n";
  WriteFile(dir / "m_DAT.LOG", records);
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (form.Command1->isEnabled()) return;
    QTest::mouseClick(form.Command1, Qt::LeftButton);  // would open a dialog
    QTest::mouseClick(form.Option1[0], Qt::LeftButton, {}, QPoint(6, 10));
    QTest::mouseClick(form.Check2, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::keyClick(form.HScroll1, Qt::Key_Right);
    form.close();
  });
  user.start(1);
  const auto save = On<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("CSV-Datei zum Speichern wählen..."));
    Confirm(dialog, NameEdit(dialog).text());
  });
  EXPECT_EQ(AnswerInTurn([&] { form.Command1->click(); }, {ChooseLog("m_DAT.LOG"), save}), 2u);
  EXPECT_LT(ReadFile(dir / "m.CSV").size(), records.size());
  EXPECT_EQ(ended, std::vector<int>{0});
  EXPECT_TRUE(form.Option1[1]->isChecked() && !form.Check2->isChecked());
  EXPECT_EQ(form.HScroll1->value(), 0);
}

}  // namespace
}  // namespace velunor
