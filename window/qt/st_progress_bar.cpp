#include "st_progress_bar.h"

#include <algorithm>

#include <qdrawutil.h>
#include <QPainter>

#include "progress_skin.h"

namespace velunor {

STprogressBar::STprogressBar(QWidget* parent) : QWidget(parent), skin_(SkinPicture()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
}

QImage STprogressBar::SkinPicture() {
  QImage skin(design::kSkinWidth, design::kSkinHeight, QImage::Format_RGB888);
  for (int x = 0; x < design::kSkinWidth; ++x) {
    const design::Rgb colour = design::SkinColour(x);
    for (int y = 0; y < design::kSkinHeight; ++y)
      skin.setPixel(x, y, qRgb(colour.Red, colour.Green, colour.Blue));
  }
  return skin;
}

void STprogressBar::ChangeValue(int percent) {
  value_ = std::clamp(percent, 0, design::kProgressMax);
  update();
}

void STprogressBar::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QPalette& colours = palette();
  painter.fillRect(rect(), colours.color(QPalette::Button));

  qDrawWinPanel(&painter, rect(), colours, /*sunken=*/true);

  const QRect inside = rect().adjusted(design::kSkinBorder, design::kSkinBorder,
                                       -design::kSkinBorder, -design::kSkinBorder);
  if (value_ > 0 && inside.isValid()) {
    const int filled = design::FilledColumns(inside.width(), value_);
    const QRectF source(0, 0, qreal(design::kSkinWidth) * filled / inside.width(),
                        design::kSkinHeight);
    painter.drawImage(QRectF(inside.left(), inside.top(), filled, inside.height()), skin_, source);
  }

  painter.setPen(colours.color(QPalette::ButtonText));
  painter.drawText(inside, Qt::AlignCenter, QString::fromStdString(design::PercentText(value_)));
}

}  // namespace velunor
