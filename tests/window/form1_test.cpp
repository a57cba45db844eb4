#include "form1.h"

#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "dialog_driver.h"
#include "duration_labels.h"
#include "st_progress_bar.h"

namespace velunor {
namespace {

class Form1Test : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form1>();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // Option buttons and check boxes take clicks on their indicator and caption only.
  static void ClickIndicator(QWidget* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
  }

  // Without a split the append box is usable and covers the red note; with one, the other way.
  void ExpectAppendOffered(bool offered) const {
    EXPECT_EQ(form->Check2->isVisible(), offered);
    EXPECT_EQ(form->Check2->isEnabled(), offered);
    EXPECT_EQ(form->Label1->isVisible(), !offered);
  }

  std::unique_ptr<Form1> form;
};

TEST_F(Form1Test, StartsWithTheDesignedDefaults) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Velunor V2.0.2"));
  EXPECT_EQ(form->size(), QSize(353, 277));
  EXPECT_EQ(form->minimumSize(), form->maximumSize());
  EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(form->windowIcon().pixmap(16, 16).isNull());

  EXPECT_EQ(form->Command1->text(), QStringLiteral("&Datei..."));
  EXPECT_EQ(form->STprogressBar1->Value(), 0);
  EXPECT_TRUE(form->Option1[1]->isChecked());
  EXPECT_FALSE(form->Check2->isChecked());
  ExpectAppendOffered(true);
  const QObjectList stack = form->Frame2->children();  // later children lie on top
  EXPECT_LT(stack.indexOf(form->Label1), stack.indexOf(form->Check2));
  EXPECT_EQ(form->Label1->geometry().topLeft(), form->Check2->geometry().topLeft());
  EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
  EXPECT_TRUE(form->Text1->isReadOnly());
  EXPECT_EQ(form->HScroll1->value(), 0);
  EXPECT_FALSE(form->Timer1->isActive());
  EXPECT_EQ(form->BytesWritten(), 0);
}

TEST_F(Form1Test, TabKeyVisitsTheControlsInDesignOrder) {
  const std::vector<QWidget*> expected = {form->Command1,   form->Option1[0], form->Option1[1],
                                          form->Option1[2], form->Check2,     form->HScroll1,
                                          form->Text1};
  std::vector<QWidget*> visited;
  QWidget* widget = form->Command1;
  do {
    if (widget->focusPolicy() & Qt::TabFocus) visited.push_back(widget);
    widget = widget->nextInFocusChain();
  } while (widget != form->Command1);
  EXPECT_EQ(visited, expected);
}

// Fails where the stand-in font is missing and a wider one takes its place.
TEST_F(Form1Test, CaptionsFitTheirControlsInTheWindowFont) {
  for (QAbstractButton* button : {static_cast<QAbstractButton*>(form->Option1[0]),
                                  static_cast<QAbstractButton*>(form->Option1[1]),
                                  static_cast<QAbstractButton*>(form->Option1[2]),
                                  static_cast<QAbstractButton*>(form->Check2)}) {
    EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
  }
  EXPECT_LE(form->Label1->sizeHint().width(), form->Label1->width());
}

TEST_F(Form1Test, SplitIntervalFollowsEveryKindOfMoveButNotTheDraggedThumb) {
  const struct {
    const char* name;
    std::function<void(QScrollBar*)> move;
    int value;
    const char* text;
  } moves[] = {
      {"right arrow click",
       [](QScrollBar* s) {
         QTest::mouseClick(s, Qt::LeftButton, {}, {s->width() - 4, 8});
       },
       1, "00 h, 01 min"},
      {"track click",
       [](QScrollBar* s) {
         QTest::mouseClick(s, Qt::LeftButton, {}, {s->width() / 2, 8});
       },
       60, "01 h, 00 min"},
      {"right, right, left keys",
       [](QScrollBar* s) {
         for (auto key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Left}) QTest::keyClick(s, key);
       },
       1, "00 h, 01 min"},
      {"end key", [](QScrollBar* s) { QTest::keyClick(s, Qt::Key_End); }, 2880, "48 h, 00 min"},
      {"thumb dragged and released",
       [this](QScrollBar* s) {
         const QPoint grip(s->height() + 3, s->height() / 2);  // the thumb, right of the arrow
         QTest::mousePress(s, Qt::LeftButton, {}, grip);
         QTest::mouseMove(s, grip + QPoint(100, 0));
         EXPECT_TRUE(s->isSliderDown());
         EXPECT_GT(s->sliderPosition(), 0);
         EXPECT_EQ(s->value(), 0);  // nothing happens while dragging
         EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
         QTest::mouseRelease(s, Qt::LeftButton, {}, grip + QPoint(100, 0));
       },
       -1, nullptr},
  };
  for (const auto& m : moves) {
    SCOPED_TRACE(m.name);
    form->HScroll1->setValue(0);
    form->Check2->setChecked(true);
    m.move(form->HScroll1);
    if (m.text == nullptr) {  // wherever the thumb was dropped
      EXPECT_GT(form->HScroll1->value(), 0);
      EXPECT_EQ(form->Text1->text().toStdString(),
                FormatSplitInterval(form->HScroll1->value() * 60));
    } else {
      EXPECT_EQ(form->HScroll1->value(), m.value);
      EXPECT_EQ(form->Text1->text(), QString::fromUtf8(m.text));
    }
    EXPECT_FALSE(form->Check2->isChecked());
    ExpectAppendOffered(false);
  }

  form->HScroll1->setValue(0);
  EXPECT_EQ(form->Text1->text(), QStringLiteral("Keine Teilung"));
  EXPECT_FALSE(form->Check2->isChecked());
  ExpectAppendOffered(true);
}

TEST_F(Form1Test, ReadRunOptionsReportsEverySetting) {
  const StatusChannelMode modes[] = {StatusChannelMode::CopyUnchanged, StatusChannelMode::Transform,
                                     StatusChannelMode::Discard};
  const struct {
    bool tick;
    int minutes;
    bool append;
  } settings[] = {{false, 0, false}, {true, 0, true}, {true, 2880, false}, {false, 1, false}};
  for (int index = 0; index < 3; ++index) {
    for (const auto& s : settings) {
      SCOPED_TRACE(::testing::Message() << "option " << index << ", minutes " << s.minutes);
      form->HScroll1->setValue(0);
      ClickIndicator(form->Option1[index]);
      form->Check2->setChecked(s.tick);
      form->HScroll1->setValue(s.minutes);
      const RunOptions options = form->ReadRunOptions();
      EXPECT_EQ(options.StatusChannelMode, modes[index]);
      EXPECT_EQ(options.Append, s.append);
      EXPECT_EQ(options.SplitMinutes, s.minutes);
    }
  }
}

TEST_F(Form1Test, OutputSizeShowsRoundedKilobytesOnTheButton) {
  const struct {
    std::int32_t bytes;
    const char* caption;
  } cases[] = {{0, " 0 KB Out..."},    {512, " 0 KB Out..."},  {1536, " 2 KB Out..."},
               {2560, " 2 KB Out..."}, {3584, " 4 KB Out..."}, {123456, " 121 KB Out..."}};
  for (const auto& c : cases) {
    form->BytesWritten() = c.bytes;
    form->Timer1_Timer();
    EXPECT_EQ(form->Command1->text(), QString::fromUtf8(c.caption)) << c.bytes;
  }
}

TEST_F(Form1Test, OutputSizeDisplayTicksWhileARunLetsEventsThrough) {
  form->StartOutputSizeDisplay();
  EXPECT_EQ(form->Timer1->interval(), 1000);
  form->Timer1->setInterval(10);  // a shorter tick, to keep the test quick
  form->BytesWritten() = 123456;
  const QDeadlineTimer deadline(5000);
  while (form->Command1->text() != QStringLiteral(" 121 KB Out...") && !deadline.hasExpired()) {
    form->ProcessPendingEvents();
  }
  EXPECT_EQ(form->Command1->text(), QStringLiteral(" 121 KB Out..."));

  form->StopOutputSizeDisplay();
  form->BytesWritten() = 0;
  QTest::qWait(50);
  EXPECT_EQ(form->Command1->text(), QStringLiteral(" 121 KB Out..."));
}

TEST_F(Form1Test, SetProgressMovesTheBar) {
  for (int percent : {1, 50, 100, 0}) {
    form->SetProgress(percent);
    EXPECT_EQ(form->STprogressBar1->Value(), percent);
  }
}

TEST_F(Form1Test, LockedWindowIgnoresTheUserUntilUnlocked) {
  QSignalSpy clicks(form->Command1, &QPushButton::clicked);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  // The access key presses the button visibly: the click follows a moment later, and opens the
  // open dialog.
  const std::size_t answered = testing::AnswerInTurn(
      [&] {
        QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
        EXPECT_TRUE(clicks.wait(1000));
      },
      {testing::CloseModal});
  EXPECT_EQ(answered, 1u);

  form->LockForRun();
  QTest::mouseClick(form->Command1, Qt::LeftButton);
  ClickIndicator(form->Option1[0]);
  ClickIndicator(form->Check2);
  QTest::keyClick(form->HScroll1, Qt::Key_Right);
  QTest::mouseClick(form->HScroll1, Qt::LeftButton, {}, {form->HScroll1->width() / 2, 8});
  EXPECT_EQ(clicks.count(), 1);
  const RunOptions locked = form->ReadRunOptions();
  EXPECT_EQ(locked.StatusChannelMode, StatusChannelMode::Transform);
  EXPECT_FALSE(locked.Append);
  EXPECT_EQ(locked.SplitMinutes, 0);

  form->UnlockAfterRun();
  EXPECT_EQ(form->Command1->text(), QStringLiteral("Datei..."));
  for (QWidget* control :
       {static_cast<QWidget*>(form->Command1), static_cast<QWidget*>(form->Option1[0]),
        static_cast<QWidget*>(form->Check2), static_cast<QWidget*>(form->HScroll1)}) {
    EXPECT_TRUE(control->isEnabled()) << control->metaObject()->className();
  }
  QTest::keyClick(form.get(), Qt::Key_D, Qt::AltModifier);
  EXPECT_FALSE(clicks.wait(300));  // no access key any more
  EXPECT_EQ(testing::AnswerInTurn([&] { QTest::mouseClick(form->Command1, Qt::LeftButton); },
                                  {testing::CloseModal}),
            1u);
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_TRUE(form->close());
}

}  // namespace
}  // namespace velunor
