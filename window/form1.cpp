#include "form1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFont>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVersionNumber>

#include <chrono>
#include <ctime>

#include "duration_labels.h"
#include "german_translation.h"
#include "number_text.h"
#include "split_scroll_bar.h"
#include "st_progress_bar.h"
#include "twips.h"

// The icon lives in this static library; its resource must be registered by name, which cannot be
// done inside a namespace.
static void RegisterWindowResources() {
  Q_INIT_RESOURCE(window_icon);
}

namespace velunor {

namespace {

// A run asks for a pass over the waiting events after every second of logging time, up to millions
// of times a second, and after every new percent. A pass fifty times a second keeps the window as
// lively as the screen can show; each costs the window system a round trip and the bar a repaint,
// so more would slow the run.
constexpr std::int64_t kEventPassIntervalMs = 20;

// Milliseconds on a steady clock, read at every request. The coarse clock costs a few nanoseconds
// and is still exact to a few milliseconds.
std::int64_t SteadyMilliseconds() {
#ifdef CLOCK_MONOTONIC_COARSE
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
#else
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
#endif
}

constexpr int kSplitMinutesMax = 2880;  // 48 hours
constexpr int kSplitSmallChange = 1;
constexpr int kSplitLargeChange = 60;
constexpr int kOutputSizeIntervalMs = 1000;

// The designed font is a Windows bitmap font; where it is missing a sans-serif of the same
// metrics keeps the captions inside their controls.
QFont WindowFont() {
  // Inserting the same substitute again leaves the table as it is.
  QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  return font;
}

QIcon WindowIcon() {
  RegisterWindowResources();
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/velunor-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/velunor-32.png"), QSize(32, 32));
  return icon;
}

QString NoSplitText() {
  return QStringLiteral("Keine Teilung");
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      CommonDialog1(this),
      CommonDialog2(this),
      EndProgram([](int status) { QCoreApplication::exit(status); }),
      lastEventPass_(SteadyMilliseconds() - kEventPassIntervalMs) {
  // Classic frames draw their line through the caption; the places of the controls inside the
  // frames are laid out for that, and a frame whose caption sits above its line would cut them.
  const QString classic = QStringLiteral("Windows");
  if (QApplication::style()->name().compare(classic, Qt::CaseInsensitive) != 0) {
    QApplication::setStyle(classic);
  }
  // The toolkit's own texts in the file dialogs and message boxes, German like the window.
  InstallGermanTranslation(*QCoreApplication::instance());
  setWindowTitle(QStringLiteral("Velunor"));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  setFixedSize(Pixels(5295), Pixels(4155));

  Command1 = new QPushButton(QStringLiteral("&Datei..."), this);
  Command1->setGeometry(TwipsRect(120, 3120, 5055, 495));

  STprogressBar1 = new STprogressBar(this);
  STprogressBar1->setGeometry(TwipsRect(120, 3720, 5055, 375));

  Frame1 = new QGroupBox(QStringLiteral("Status-Kanäle Nr.: 7 und 8"), this);
  Frame1->setGeometry(TwipsRect(120, 120, 5055, 1455));
  option1Group_ = new QButtonGroup(this);
  const std::array<QString, 3> optionCaptions = {
      QStringLiteral("unverändert &kopieren"),
      QStringLiteral("&umformen für Grafische-Darstellung"),
      QStringLiteral("Daten &verwerfen"),
  };
  for (int index = 0; index < 3; ++index) {
    Option1[index] = new QRadioButton(optionCaptions[index], Frame1);
    Option1[index]->setGeometry(TwipsRect(120, 240 + 360 * index, 4815, 375));
    option1Group_->addButton(Option1[index], index);
  }
  Option1[1]->setChecked(true);
  // The option group is one stop of the Tab key, entered at the selected option; the arrow keys
  // reach the others, selecting as they move. Once an option has had the focus, Qt keeps the stop
  // on the option with the focus, which is the selected one.
  for (QRadioButton* option : Option1) {
    option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  }

  Frame2 = new QGroupBox(QStringLiteral("Ausgabedatei: Überschreiben verhindern"), this);
  Frame2->setGeometry(TwipsRect(120, 2400, 5055, 615));
  // Created before Check2 so that the check box covers the note.
  Label1 = new QLabel(
      QStringLiteral("Wird automatisch gewählt; wird überschrieben, wenn vorhanden!"), Frame2);
  Label1->setGeometry(TwipsRect(120, 240, 4815, 255));
  QPalette red = Label1->palette();
  red.setColor(QPalette::WindowText, QColor(255, 0, 0));
  Label1->setPalette(red);
  Check2 = new QCheckBox(QStringLiteral("&anhängen, wenn CSV-Datei vorhanden."), Frame2);
  Check2->setGeometry(TwipsRect(120, 240, 4695, 255));
  Check2->setAutoFillBackground(true);  // opaque, or the note would show through
  Label1->lower();
  // The stand-in font sets the note a few pixels wider than the check box, so beyond covering it
  // the box hides it outright while it is shown.
  Label1->hide();

  Frame3 = new QGroupBox(QStringLiteral("Ausgabedatei: Aufteilen"), this);
  Frame3->setGeometry(TwipsRect(120, 1680, 5055, 615));
  HScroll1 = new SplitScrollBar(Frame3);
  HScroll1->setGeometry(TwipsRect(120, 240, 3375, 255));
  HScroll1->setRange(0, kSplitMinutesMax);
  HScroll1->setSingleStep(kSplitSmallChange);
  HScroll1->setPageStep(kSplitLargeChange);
  HScroll1->setValue(0);
  // Without tracking the value changes on arrow and track clicks, keys and the thumb's release,
  // never while the thumb is dragged.
  HScroll1->setTracking(false);
  HScroll1->setFocusPolicy(Qt::StrongFocus);
  Text1 = new QLineEdit(NoSplitText(), Frame3);
  Text1->setGeometry(TwipsRect(3600, 240, 1335, 285));
  Text1->setReadOnly(true);

  Timer1 = new QTimer(this);
  Timer1->setInterval(kOutputSizeIntervalMs);

  CommonDialog1.DialogTitle = QString::fromUtf8("Log-Datei zum Einlesen wählen...");
  CommonDialog1.FileName = "*DAT.LOG";
  CommonDialog1.Filter = QStringLiteral("Log-Dateien (*.Log)|*.Log");
  CommonDialog2.DialogTitle = QString::fromUtf8("CSV-Datei zum Speichern wählen...");
  CommonDialog2.Filter = QStringLiteral("CSV-Dateien (*.CSV)|*.CSV");

  setTabOrder(Command1, Option1[0]);
  setTabOrder(Option1[0], Option1[1]);
  setTabOrder(Option1[1], Option1[2]);
  setTabOrder(Option1[2], Check2);
  setTabOrder(Check2, HScroll1);
  setTabOrder(HScroll1, Text1);
  Command1->setFocus();

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
  connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

  Form_Load();
}

void Form1::Form_Load() {
  const QVersionNumber version = QVersionNumber::fromString(QCoreApplication::applicationVersion());
  setWindowTitle(QStringLiteral("Velunor V%1.%2.%3")
                     .arg(version.majorVersion())
                     .arg(version.minorVersion())
                     .arg(version.microVersion()));
}

RunOptions Form1::ReadRunOptions() const {
  RunOptions options;
  options.SplitMinutes = static_cast<std::int16_t>(HScroll1->value());
  options.Append = Check2->isChecked();
  if (Option1[2]->isChecked()) {
    options.StatusChannelMode = StatusChannelMode::Discard;
  } else if (Option1[1]->isChecked()) {
    options.StatusChannelMode = StatusChannelMode::Transform;
  } else {
    options.StatusChannelMode = StatusChannelMode::CopyUnchanged;
  }
  return options;
}

void Form1::LockForRun() {
  Command1->setEnabled(false);
  Frame1->setEnabled(false);
  Frame2->setEnabled(false);
  Frame3->setEnabled(false);
}

void Form1::UnlockAfterRun() {
  // Without the ampersand: the button keeps no access key after its first run.
  Command1->setText(QStringLiteral("Datei..."));
  Command1->setEnabled(true);
  Frame1->setEnabled(true);
  Frame2->setEnabled(true);
  Frame3->setEnabled(true);
}

void Form1::SetProgress(int percent) {
  // Called after every line: the same percent again costs only the comparison.
  if (percent == STprogressBar1->Value()) return;
  STprogressBar1->SetProgress(percent);
  TakeEventPass();
}

void Form1::ProcessPendingEvents() {
  TakeEventPass();
}

void Form1::TakeEventPass() {
  const std::int64_t now = SteadyMilliseconds();
  if (now - lastEventPass_ < kEventPassIntervalMs) return;
  lastEventPass_ = now;
  QCoreApplication::processEvents();
  if (closedDuringRun_) throw RunTimeError(error_number::kCancel);
}

void Form1::StartOutputSizeDisplay() {
  Timer1->start();
}

void Form1::StopOutputSizeDisplay() {
  Timer1->stop();
}

void Form1::HScroll1_Change() {
  const auto minutes = static_cast<std::int16_t>(HScroll1->value());
  if (minutes == 0) {
    Text1->setText(NoSplitText());
    Check2->setEnabled(true);
    Check2->setVisible(true);
    Label1->setVisible(false);
    return;
  }
  const std::int32_t seconds = std::int32_t{minutes} * 60;
  Text1->setText(QString::fromStdString(FormatSplitInterval(seconds)));
  // A split output replaces its files without asking, so appending cannot be chosen with it.
  Check2->setChecked(false);
  Check2->setVisible(false);
  Label1->setVisible(true);
  Check2->setEnabled(false);
}

void Form1::Timer1_Timer() {
  Command1->setText(QString::fromStdString(NumberText(Kilobytes(BytesWritten_))) +
                    QStringLiteral(" KB Out..."));
}

void Form1::keyPressEvent(QKeyEvent* event) {
  // Qt leaves Return to the default button of a dialog; this window's buttons take it as a press.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (auto* button = qobject_cast<QPushButton*>(focusWidget()); enter && button) {
    button->animateClick();
    return;
  }
  QWidget::keyPressEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
  // The file button is disabled only while a run is going on.
  if (!Command1->isEnabled()) closedDuringRun_ = true;
  event->accept();
}

}  // namespace velunor
