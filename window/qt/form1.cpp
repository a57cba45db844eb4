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

#include "german_translation.h"
#include "message_box.h"
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

using design::Control;

QString Text(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString Caption(Control control) {
  return Text(design::Design(control).Caption);
}

QRect Place(Control control) {
  const design::TwipsRect place = design::Design(control).Place;
  return TwipsRect(place.Left, place.Top, place.Width, place.Height);
}

// The designed font is a Windows bitmap font; where it is missing a sans-serif of the same
// metrics keeps the captions inside their controls.
QFont WindowFont() {
  const QString name = Text(design::kFontName);
  // Inserting the same substitute again leaves the table as it is.
  QFont::insertSubstitution(name, QStringLiteral("Liberation Sans"));
  QFont font(name);
  font.setPointSizeF(design::kFontPoints);
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

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      CommonDialog1_(this),
      CommonDialog2_(this) {
  EndProgram = [](int status) { QCoreApplication::exit(status); };
  // Classic frames draw their line through the caption; the places of the controls inside the
  // frames are laid out for that, and a frame whose caption sits above its line would cut them.
  const QString classic = QStringLiteral("Windows");
  if (QApplication::style()->name().compare(classic, Qt::CaseInsensitive) != 0) {
    QApplication::setStyle(classic);
  }
  // The toolkit's own texts in the file dialogs and message boxes, German like the window.
  InstallGermanTranslation(*QCoreApplication::instance());
  setWindowTitle(Text(design::kDesignCaption));
  setWindowIcon(WindowIcon());
  setFont(WindowFont());
  setFixedSize(Pixels(design::kClientWidth), Pixels(design::kClientHeight));

  Command1 = new QPushButton(Caption(Control::Command1), this);
  Command1->setGeometry(Place(Control::Command1));

  STprogressBar1 = new STprogressBar(this);
  STprogressBar1->setGeometry(Place(Control::STprogressBar1));

  Frame1 = new QGroupBox(Caption(Control::Frame1), this);
  Frame1->setGeometry(Place(Control::Frame1));
  auto* option1Group = new QButtonGroup(this);
  constexpr std::array<Control, 3> options = {Control::Option1_0, Control::Option1_1,
                                              Control::Option1_2};
  for (int index = 0; index < 3; ++index) {
    Option1[index] = new QRadioButton(Caption(options[index]), Frame1);
    Option1[index]->setGeometry(Place(options[index]));
    option1Group->addButton(Option1[index], index);
  }
  Option1[design::kDefaultOption]->setChecked(true);
  // The option group is one stop of the Tab key, entered at the selected option; the arrow keys
  // reach the others, selecting as they move. Once an option has had the focus, Qt keeps the stop
  // on the option with the focus, which is the selected one.
  for (QRadioButton* option : Option1) {
    option->setFocusPolicy(option->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
  }

  Frame2 = new QGroupBox(Caption(Control::Frame2), this);
  Frame2->setGeometry(Place(Control::Frame2));
  // Created before Check2 so that the check box covers the note.
  Label1 = new QLabel(Caption(Control::Label1), Frame2);
  Label1->setGeometry(Place(Control::Label1));
  QPalette red = Label1->palette();
  red.setColor(QPalette::WindowText,
               QColor(design::kNoteRed, design::kNoteGreen, design::kNoteBlue));
  Label1->setPalette(red);
  Check2 = new QCheckBox(Caption(Control::Check2), Frame2);
  Check2->setGeometry(Place(Control::Check2));
  Check2->setAutoFillBackground(true);  // opaque, or the note would show through
  Label1->lower();
  // The stand-in font sets the note a few pixels wider than the check box, so beyond covering it
  // the box hides it outright while it is shown.
  Label1->hide();

  Frame3 = new QGroupBox(Caption(Control::Frame3), this);
  Frame3->setGeometry(Place(Control::Frame3));
  HScroll1 = new SplitScrollBar(Frame3);
  HScroll1->setGeometry(Place(Control::HScroll1));
  HScroll1->setRange(0, design::kSplitMinutesMax);
  HScroll1->setSingleStep(design::kSplitSmallChange);
  HScroll1->setPageStep(design::kSplitLargeChange);
  HScroll1->setValue(0);
  // Without tracking the value changes on arrow and track clicks, keys and the thumb's release,
  // never while the thumb is dragged.
  HScroll1->setTracking(false);
  HScroll1->setFocusPolicy(Qt::StrongFocus);
  Text1 = new QLineEdit(Caption(Control::Text1), Frame3);
  Text1->setGeometry(Place(Control::Text1));
  Text1->setReadOnly(true);

  Timer1 = new QTimer(this);
  Timer1->setInterval(design::kOutputSizeIntervalMs);

  CommonDialog1_.DialogTitle = design::kOpenDialogTitle;
  CommonDialog1_.FileName = design::kOpenDialogDesignName;
  CommonDialog1_.Filter = design::kOpenDialogFilter;
  CommonDialog2_.DialogTitle = design::kSaveDialogTitle;
  CommonDialog2_.Filter = design::kSaveDialogFilter;

  // The focus moves in the design's Tab order; frames and the label never take it.
  QWidget* previous = nullptr;
  for (const design::ControlDesign& control : design::kControls) {
    QWidget* widget = Widget(control.Id);
    if (!widget || widget->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, widget);
    previous = widget;
  }
  Command1->setFocus();

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

  // Form_Load: the caption with the program's version; every control keeps its design state.
  setWindowTitle(Text(LoadedCaption()));
}

QWidget* Form1::Widget(Control control) const {
  switch (control) {
    case Control::Form1:
      return const_cast<Form1*>(this);
    case Control::Command1:
      return Command1;
    case Control::STprogressBar1:
      return STprogressBar1;
    case Control::Frame1:
      return Frame1;
    case Control::Option1_0:
      return Option1[0];
    case Control::Option1_1:
      return Option1[1];
    case Control::Option1_2:
      return Option1[2];
    case Control::Frame2:
      return Frame2;
    case Control::Check2:
      return Check2;
    case Control::Label1:
      return Label1;
    case Control::Frame3:
      return Frame3;
    case Control::HScroll1:
      return HScroll1;
    case Control::Text1:
      return Text1;
  }
  return nullptr;
}

int Form1::HScroll1Value() const {
  return HScroll1->value();
}

bool Form1::Check2Ticked() const {
  return Check2->isChecked();
}

int Form1::SelectedOption() const {
  for (int index = 0; index < 3; ++index) {
    if (Option1[index]->isChecked()) return index;
  }
  return design::kDefaultOption;
}

void Form1::SetText(Control control, std::string_view utf8) {
  if (control == Control::Text1) {
    Text1->setText(Text(utf8));
  } else {
    Command1->setText(Text(utf8));
  }
}

void Form1::SetEnabled(Control control, bool enabled) {
  Widget(control)->setEnabled(enabled);
}

void Form1::SetVisible(Control control, bool visible) {
  Widget(control)->setVisible(visible);
}

void Form1::SetCheck2Ticked(bool ticked) {
  Check2->setChecked(ticked);
}

int Form1::ShownProgress() const {
  return STprogressBar1->Value();
}

void Form1::ShowProgress(int percent) {
  STprogressBar1->SetProgress(percent);
}

void Form1::SetTimer1Enabled(bool enabled) {
  if (enabled) {
    Timer1->start();
  } else {
    Timer1->stop();
  }
}

void Form1::HandleWaitingEvents() {
  QCoreApplication::processEvents();
}

void Form1::ShowMessage(MessageKind kind, std::string_view title, std::string_view text) {
  velunor::ShowMessage(this,
                       kind == MessageKind::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                       Text(title), Text(text));
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
  if (Running()) CloseDuringRun();
  event->accept();
}

}  // namespace velunor
