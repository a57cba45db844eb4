#include "st_progress_bar.h"

#include <algorithm>

#include <qdrawutil.h>
#include <QPainter>

namespace velunor {

namespace {

constexpr int kSkinWidth = 333;
constexpr int kSkinHeight = 21;
// The bevel around the skin; the bar's designed size is the skin plus this on every side.
constexpr int kBorder = 2;

// Even steps from full to none over a half of the ramp, rounded to the nearest level.
int Level(int step, int steps) {
  return (255 * step + steps / 2) / steps;
}

}  // namespace

STprogressBar::STprogressBar(QWidget* parent) : QWidget(parent), skin_(SkinPicture()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

QImage STprogressBar::SkinPicture() {
  QImage skin(kSkinWidth, kSkinHeight, QImage::Format_RGB888);
  const int middle = kSkinWidth / 2;
  const int right = kSkinWidth - 1;
  for (int x = 0; x < kSkinWidth; ++x) {
    const QRgb colour = x <= middle ? qRgb(255, Level(x, middle), 0)
                                    : qRgb(Level(right - x, right - middle), 255, 0);
    for (int y = 0; y < kSkinHeight; ++y) skin.setPixel(x, y, colour);
  }
  return skin;
}

void STprogressBar::ChangeValue(int percent) {
  value_ = std::clamp(percent, 0, kMax);
  update();
}

void STprogressBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QPalette& colours = palette();
  painter.fillRect(rect(), colours.color(QPalette::Button));

  qDrawWinPanel(&painter, rect(), colours, /*sunken=*/true);

  const QRect inside = rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
  if (value_ > 0 && inside.isValid()) {
    const int filled = (inside.width() * value_ + kMax / 2) / kMax;
    const QRectF source(0, 0, qreal(kSkinWidth) * filled / inside.width(), kSkinHeight);
    painter.drawImage(QRectF(inside.left(), inside.top(), filled, inside.height()), skin_, source);
  }

  painter.setPen(colours.color(QPalette::ButtonText));
  painter.drawText(inside, Qt::AlignCenter, QString::number(value_) + u'%');
}

}  // namespace velunor
