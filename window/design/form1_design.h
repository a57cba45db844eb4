#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace velunor::design {

// The window's controls under their design names. The three option buttons are one control
// array; Option1_0 to Option1_2 are its indexes 0 to 2.
enum class Control {
  Form1,
  Command1,
  STprogressBar1,
  Frame1,
  Option1_0,
  Option1_1,
  Option1_2,
  Frame2,
  Check2,
  Label1,
  Frame3,
  HScroll1,
  Text1,
};

enum class Kind {
  PushButton,
  ProgressBar,
  Frame,
  OptionButton,
  CheckBox,
  Label,
  ScrollBar,
  TextBox
};

// A place in twips (1/1440 inch) inside the container's client area; for a frame, inside the
// frame.
struct TwipsRect {
  int Left, Top, Width, Height;
};

struct ControlDesign {
  Control Id;
  std::string_view Name;
  design::Kind Kind;
  Control Inside;
  std::string_view Caption;  // UTF-8; "&" marks the access key
  TwipsRect Place;
};

// Every visible control, in Tab order (the frames and the label never take the focus but keep
// their place). Containers come before what they hold.
inline constexpr std::array<ControlDesign, 12> kControls = {{
    {Control::Command1,
     "Command1",
     Kind::PushButton,
     Control::Form1,
     "&Datei...",
     {120, 3120, 5055, 495}},
    {Control::STprogressBar1,
     "STprogressBar1",
     Kind::ProgressBar,
     Control::Form1,
     "",
     {120, 3720, 5055, 375}},
    {Control::Frame1,
     "Frame1",
     Kind::Frame,
     Control::Form1,
     "Status-Kanäle Nr.: 7 und 8",
     {120, 120, 5055, 1455}},
    {Control::Option1_0,
     "Option1(0)",
     Kind::OptionButton,
     Control::Frame1,
     "unverändert &kopieren",
     {120, 240, 4815, 375}},
    {Control::Option1_1,
     "Option1(1)",
     Kind::OptionButton,
     Control::Frame1,
     "&umformen für Grafische-Darstellung",
     {120, 600, 4815, 375}},
    {Control::Option1_2,
     "Option1(2)",
     Kind::OptionButton,
     Control::Frame1,
     "Daten &verwerfen",
     {120, 960, 4815, 375}},
    {Control::Frame2,
     "Frame2",
     Kind::Frame,
     Control::Form1,
     "Ausgabedatei: Überschreiben verhindern",
     {120, 2400, 5055, 615}},
    {Control::Check2,
     "Check2",
     Kind::CheckBox,
     Control::Frame2,
     "&anhängen, wenn CSV-Datei vorhanden.",
     {120, 240, 4695, 255}},
    {Control::Frame3,
     "Frame3",
     Kind::Frame,
     Control::Form1,
     "Ausgabedatei: Aufteilen",
     {120, 1680, 5055, 615}},
    {Control::HScroll1, "HScroll1", Kind::ScrollBar, Control::Frame3, "", {120, 240, 3375, 255}},
    {Control::Text1,
     "Text1",
     Kind::TextBox,
     Control::Frame3,
     "Keine Teilung",
     {3600, 240, 1335, 285}},
    // Lies beneath Check2 at the same corner: seen only while the check box is hidden.
    {Control::Label1,
     "Label1",
     Kind::Label,
     Control::Frame2,
     "Wird automatisch gewählt; wird überschrieben, wenn vorhanden!",
     {120, 240, 4815, 255}},
}};

constexpr const ControlDesign& Design(Control id) {
  for (const ControlDesign& control : kControls) {
    if (control.Id == id) return control;
  }
  return kControls[0];  // every control but the form is in the table
}

// The place of a control inside the window's client area, its container's place added.
constexpr TwipsRect PlaceInForm(Control id) {
  TwipsRect place = Design(id).Place;
  if (const Control inside = Design(id).Inside; inside != Control::Form1) {
    place.Left += Design(inside).Place.Left;
    place.Top += Design(inside).Place.Top;
  }
  return place;
}

// The window itself.
inline constexpr int kClientWidth = 5295;
inline constexpr int kClientHeight = 4155;
inline constexpr std::string_view kDesignCaption = "Velunor";
inline constexpr std::string_view kApplicationTitle = "Velunor";  // of the two plain messages
// Font of the window and every control.
inline constexpr std::string_view kFontName = "MS Sans Serif";
inline constexpr double kFontPoints = 8.25;
// Label1's text colour; everything else keeps the system's colours.
inline constexpr std::uint8_t kNoteRed = 255, kNoteGreen = 0, kNoteBlue = 0;

// The option button selected at start: Option1(1), Transform.
inline constexpr int kDefaultOption = 1;

// HScroll1: the split interval in minutes, 0 for none, at most 48 hours.
inline constexpr int kSplitMinutesMax = 2880;
inline constexpr int kSplitSmallChange = 1;
inline constexpr int kSplitLargeChange = 60;
inline constexpr std::string_view kNoSplitText = "Keine Teilung";

// Timer1: the output-size display.
inline constexpr int kOutputSizeIntervalMs = 1000;

// The file button's caption after the first run or refused name: no access key any more.
inline constexpr std::string_view kCommand1PlainCaption = "Datei...";

// The two file dialogs.
inline constexpr std::string_view kOpenDialogTitle = "Log-Datei zum Einlesen wählen...";
inline constexpr std::string_view kOpenDialogFilter = "Log-Dateien (*.Log)|*.Log";
inline constexpr std::string_view kOpenDialogDesignName = "*DAT.LOG";
inline constexpr std::string_view kSaveDialogTitle = "CSV-Datei zum Speichern wählen...";
inline constexpr std::string_view kSaveDialogFilter = "CSV-Dateien (*.CSV)|*.CSV";

inline constexpr std::string_view kFatalTitle = "Es ist ein Fehler aufgetreten - Programm-Ende:";

}  // namespace velunor::design
