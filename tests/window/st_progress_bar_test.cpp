#include "st_progress_bar.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QTest>

namespace velunor {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

TEST(STprogressBarSkin, EveryRowRampsFromRedThroughYellowToGreen) {
  const QImage skin = STprogressBar::SkinPicture();
  ASSERT_EQ(skin.size(), QSize(333, 21));
  const struct {
    int x;
    QRgb colour;
  } columns[] = {
      {0, qRgb(255, 0, 0)},     {83, qRgb(255, 128, 0)}, {166, qRgb(255, 255, 0)},
      {249, qRgb(128, 255, 0)}, {332, qRgb(0, 255, 0)},
  };
  for (const auto& column : columns) {
    for (int y : {0, 10, 20}) {
      EXPECT_EQ(skin.pixel(column.x, y), column.colour) << "x " << column.x << ", y " << y;
    }
  }
}

TEST(STprogressBarPosition, KeepsOutOfRangeValuesInside) {
  STprogressBar bar;
  bar.SetProgress(150);
  EXPECT_EQ(bar.Value(), 100);
  bar.SetProgress(-5);
  EXPECT_EQ(bar.Value(), 0);
}

class STprogressBarDrawing : public testing::Test {
 protected:
  void SetUp() override {
    bar.resize(337, 25);  // the designed size: the skin and a two-pixel border
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
  }

  STprogressBar bar;
};

TEST_F(STprogressBarDrawing, FillsWithTheSkinUpToThePositionAndButtonFaceBeyond) {
  bar.SetProgress(50);
  const QImage image = bar.grab().toImage();
  const QColor face = bar.palette().color(QPalette::Button);
  // Inside the border the skin's column x sits at x + 2; the text is in the middle, away from
  // these.
  EXPECT_EQ(QColor(image.pixel(2, 12)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(image.pixel(2 + 120, 5)), QColor(STprogressBar::SkinPicture().pixel(120, 5)));
  EXPECT_EQ(QColor(image.pixel(2 + 200, 5)), face);
  EXPECT_EQ(QColor(image.pixel(2 + 330, 12)), face);

  bar.SetProgress(100);
  EXPECT_EQ(QColor(bar.grab().toImage().pixel(2 + 332, 12)), QColor(0, 255, 0));
  bar.SetProgress(0);
  EXPECT_EQ(QColor(bar.grab().toImage().pixel(2, 12)), face);
}

TEST_F(STprogressBarDrawing, RepaintsOnAChangeButNotForTheSameValueAgain) {
  PaintCounter counter;
  bar.installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;

  bar.SetProgress(40);
  QApplication::processEvents();
  EXPECT_GE(counter.paints, 1);

  counter.paints = 0;
  for (int i = 0; i < 1000; ++i) bar.SetProgress(40);
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 0);
}

}  // namespace
}  // namespace velunor
