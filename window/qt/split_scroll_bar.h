#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace velunor {

// The horizontal scroll bar that sets the split interval. The right arrow key grows the interval
// and the left one shrinks it (Qt's own horizontal bar takes them the other way round), and one
// notch of the mouse wheel moves it by one small change, not by three, so that scrolling past the
// window hardly changes the interval.
class SplitScrollBar : public QScrollBar {
 public:
  explicit SplitScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
      if (event->key() == Qt::Key_Right) return triggerAction(SliderSingleStepAdd);
      if (event->key() == Qt::Key_Left) return triggerAction(SliderSingleStepSub);
    }
    QScrollBar::keyPressEvent(event);
  }

  void wheelEvent(QWheelEvent* event) override {
    // Qt moves the bar by this many small changes a notch; there is no setting per widget.
    const int lines = QApplication::wheelScrollLines();
    QApplication::setWheelScrollLines(1);
    QScrollBar::wheelEvent(event);
    QApplication::setWheelScrollLines(lines);
  }
};

}  // namespace velunor
