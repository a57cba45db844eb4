#pragma once

#include <QImage>
#include <QWidget>

namespace velunor {

// The run's progress bar: a position from 0 to 100, shown by revealing a red-yellow-green colour
// ramp up to the position, with the percentage written across it.
class STprogressBar : public QWidget {
  Q_OBJECT

 public:
  explicit STprogressBar(QWidget* parent = nullptr);

  // Called after every line of a run, so the same position again must cost only the comparison.
  void SetProgress(int percent) {
    if (percent != value_) ChangeValue(percent);
  }
  int Value() const { return value_; }

  // The design's skin as a picture, drawn inside the bar's border.
  static QImage SkinPicture();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ChangeValue(int percent);

  int value_ = 0;
  QImage skin_;
};

}  // namespace velunor
