// The window without a toolkit: the handlers, the file button's click and run control, against a
// view whose controls are plain state and whose dialogs answer as a test tells them.
#include "form1_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "progress_skin.h"
#include "run_conversion.h"
#include "temp_dir.h"

namespace velunor {
namespace {

using namespace testing;
using enum design::Control;

// Shows what the click expects (flags, proposed name) and chooses the answer: a name in the
// folder, the proposal (""), or nothing (null: cancelled).
class FakeDialog : public FileDialog {
 public:
  const char* Answer = nullptr;
  std::string Folder;
  std::vector<std::tuple<bool, long, std::string>> Shown;  // save, flags, proposed name

 protected:
  void Show(bool save) override {
    ASSERT_TRUE(CancelError);
    Shown.emplace_back(save, Flags, FileName);
    if (!Answer) throw RunTimeError(error_number::kCancel);
    if (*Answer) FileName = Folder + Answer;
  }
};

class FakeForm : public Form1Base {
 public:
  FakeForm() {
    EndProgram = [this](int status) { Ended.push_back(status); };
    Texts[Command1] = design::Design(Command1).Caption;
    for (const design::ControlDesign& c : design::kControls) Enabled[c.Id] = true;
  }
  using Form1Base::CloseDuringRun, Form1Base::Running;

  int Split = 0, Bar = 0, Passes = 0, RunPasses = 0;
  bool Ticked = false, Timer = false;
  mutable std::int64_t Now = 0, Step = 0;  // the clock advances by Step at every reading
  std::map<design::Control, std::string> Texts;
  std::map<design::Control, bool> Enabled;
  std::vector<std::tuple<MessageKind, std::string, std::string>> Messages;
  std::vector<int> Ended;
  std::function<void()> OnPass;
  FakeDialog Open, Save;

 protected:
  int HScroll1Value() const override { return Split; }
  bool Check2Ticked() const override { return Ticked; }
  int SelectedOption() const override { return design::kDefaultOption; }
  void SetText(design::Control c, std::string_view text) override { Texts[c] = text; }
  void SetEnabled(design::Control c, bool enabled) override { Enabled[c] = enabled; }
  void SetVisible(design::Control, bool) override {}
  void SetCheck2Ticked(bool ticked) override { Ticked = ticked; }
  int ShownProgress() const override { return Bar; }
  void ShowProgress(int percent) override { Bar = percent; }
  void SetTimer1Enabled(bool enabled) override { Timer = enabled; }
  std::int64_t Milliseconds() const override { return Now += Step; }
  void HandleWaitingEvents() override {
    ++Passes;
    RunPasses += Running();
    for (design::Control c : {Command1, Frame1, Frame2, Frame3})
      EXPECT_FALSE(Running() && Enabled[c]) << "unlocked during the run";
    if (OnPass) OnPass();
  }
  void ShowMessage(MessageKind kind, std::string_view title, std::string_view text) override {
    Messages.emplace_back(kind, title, text);
  }
  FileDialog& CommonDialog1() override { return Open; }
  FileDialog& CommonDialog2() override { return Save; }
};

// Channel-1 records, one per second of logging time; their CSV is the same text.
std::string ChannelOneRecords(int count) {
  std::string records;
  for (int i = 1000; i < 1000 + count; ++i)
    records += "$1;1;;" + std::to_string(i) + std::string(45, '0') + "\r\n";
  return records;
}

TEST(Form1BaseTest, ClickConvertsOrRefusesOrReturnsQuietlyOrReportsTheEnd) {
  const std::string all = ChannelOneRecords(150), first60 = ChannelOneRecords(60), old = "old\r\n";
  const std::string sum = " 8 KB von 8 KB geschrieben, 1 Zeile(n) mit Fehler ausgelassen.",
                    refused = "Dateiname ungültig...", fatal = ErrorText(RunTimeError(55));
  const char* m = "m_DAT.LOG";
  const long replace = 0x208802, append = 0x208800;
  // Append ticked, split minutes, the dialogs' answers, the save dialog's flags (0: none), the
  // window closed half way; the file written, before and after, the message, the bar afterwards
  // (37 before), the exit status (-1: the program goes on).
  const std::tuple<bool, int, const char*, const char*, long, bool, std::string, std::string,
                   std::string, std::string, int, int>
      cases[] = {
          {false, 0, m, "", replace, false, "m.CSV", old, all, sum, 100, -1},
          {true, 0, m, "", append, false, "m.CSV", old, old + all, sum, 100, -1},
          {false, 1, m, "", 0, false, "m_00d00h00m.CSV", all + all, first60, sum, 100, -1},
          {false, 0, "x_dat.log", "", 0, false, "m.CSV", "", "", refused, 0, -1},
          {false, 0, nullptr, "", 0, false, "m.CSV", "", "", "", 37, -1},
          {true, 0, m, nullptr, append, false, "m.CSV", "", "", "", 37, -1},
          // Appending to the log itself: the run refuses to write the file it reads.
          {true, 0, m, m, append, false, "m.CSV", "", "", fatal, 37, 1},
          {false, 0, m, "", replace, true, "m.CSV", "", all, "", 50, 0},
      };
  for (const auto& [ticked, split, log, csv, saveFlags, close, file, before, after, text, bar,
                    end] : cases) {
    SCOPED_TRACE(text);
    TempDir dir;
    const std::string folder = dir / "";
    for (const char* name : {m, "x_dat.log"}) WriteFile(dir / name, all + "$2;1;;x\r\n");
    if (!before.empty()) WriteFile(dir / file, before);
    FakeForm form;
    form.Ticked = ticked, form.Split = split, form.Bar = 37, form.Step = 20;
    form.Open.Answer = log, form.Save.Answer = csv;
    form.Open.Folder = form.Save.Folder = folder;
    form.OnPass = [&, close = close] {
      if (close && form.Bar >= 50) form.CloseDuringRun();
    };
    form.Command1_Click();
    // Closed during the run: the records written up to there, whole.
    const std::string written = ReadFile(dir / file);
    EXPECT_EQ(written, after.substr(0, close ? written.size() / 57 * 57 : after.size())) << file;
    EXPECT_TRUE(!close || (written.size() > 0 && written.size() < after.size()));
    using Shown = std::vector<std::tuple<bool, long, std::string>>;
    EXPECT_EQ(form.Open.Shown, Shown({{false, 0x201004, "*_DAT.LOG"}}));
    EXPECT_EQ(form.Save.Shown, saveFlags ? Shown({{true, saveFlags, folder + "m.CSV"}}) : Shown());
    using Message = std::tuple<MessageKind, std::string, std::string>;
    const Message message = end > 0 ? Message{MessageKind::Critical, design::kFatalTitle, text}
                                    : Message{MessageKind::Plain, "Velunor", text};
    EXPECT_EQ(form.Messages, text.empty() ? std::vector<Message>() : std::vector{message});
    EXPECT_EQ(form.Bar, bar);
    // The button loses its access key with the first run or refused name.
    EXPECT_EQ(form.Texts[Command1], text.empty() || end > 0 ? "&Datei..." : "Datei...");
    // Unlocked after the run, its output size no longer shown, unless the program ends.
    EXPECT_EQ(form.RunPasses > 0, text == sum || close);
    EXPECT_FALSE(form.Running() || (end < 0 && form.Timer));
    for (design::Control c : {Command1, Frame1, Frame2, Frame3})
      EXPECT_EQ(form.Enabled[c], end < 0);
    EXPECT_EQ(form.Ended, end < 0 ? std::vector<int>{} : std::vector<int>{end});
  }
}

// A pass over the events at most every 20 ms, the first at once; a new percent is drawn at once.
TEST(Form1BaseTest, EventPassesAreThrottled) {
  FakeForm form;
  // The time, the percent set (-1: a time tick), the passes so far.
  const std::tuple<std::int64_t, int, int> steps[] = {
      {0, -1, 1}, {19, -1, 1}, {19, 5, 1}, {20, -1, 2}, {40, 5, 2}, {40, 6, 3}, {45, 7, 3}};
  for (const auto& [now, percent, passes] : steps) {
    form.Now = now;
    percent < 0 ? form.ProcessPendingEvents() : form.SetProgress(percent);
    EXPECT_EQ(form.Passes, passes) << now;
    EXPECT_EQ(form.Bar, std::max(percent, form.Bar)) << now;
  }
}

// The places keep to the design's grid: one column 120 twips in from the window's sides, 105
// between its rows; in a frame 120 twips in (Text1 right of the split bar), rows 360 apart from
// 240 down.
TEST(DesignTest, ControlsKeepToTheGridAndTheBarFitsItsSkin) {
  for (const design::ControlDesign& c : design::kControls) {
    const design::TwipsRect p = design::PlaceInForm(c.Id), in = design::PlaceInForm(c.Inside);
    const bool belowAnother = std::ranges::any_of(design::kControls, [&](const auto& above) {
      return above.Inside == Form1 && above.Place.Top + above.Place.Height + 105 == p.Top;
    });
    EXPECT_TRUE(c.Inside == Form1 ? p.Left == 120 && p.Width == design::kClientWidth - 240 &&
                                        (p.Top == 120 || belowAnother)
                                  : (c.Id == Text1 || p.Left - in.Left == 120) &&
                                        p.Left + p.Width <= in.Left + in.Width - 120 &&
                                        (p.Top - in.Top - 240) % 360 == 0 &&
                                        p.Top + p.Height <= in.Top + in.Height)
        << c.Name;
  }
  // At 96 dots per inch (15 twips a pixel) the bar is the skin within its border.
  const design::TwipsRect bar = design::Design(STprogressBar1).Place;
  EXPECT_EQ(bar.Width / 15, design::kSkinWidth + 2 * design::kSkinBorder);
  EXPECT_EQ(bar.Height / 15, design::kSkinHeight + 2 * design::kSkinBorder);
}

TEST(DesignTest, SkinRampsFromRedOverYellowToGreenAndFillsByPercent) {
  const std::pair<int, design::Rgb> ramp[] = {
      {0, {255, 0, 0}}, {83, {255, 128, 0}}, {166, {255, 255, 0}}, {332, {0, 255, 0}}};
  for (const auto& [x, colour] : ramp) EXPECT_EQ(design::SkinColour(x), colour) << x;
  for (const auto& [percent, columns] : {std::pair{0, 0}, {50, 167}, {100, 333}})
    EXPECT_EQ(design::FilledColumns(333, percent), columns) << percent;
  EXPECT_EQ(design::PercentText(50), "50%");
}

}  // namespace
}  // namespace velunor
