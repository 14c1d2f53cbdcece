#include "compose/apd_meter.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace quillon::compose {

MeterBlocks meterBlocks(int position, int min, int max, int step, int width) {
  MeterBlocks b;
  if (position <= min || step <= 0) return b;
  // A range of zero or less would divide by zero: such a meter is simply full.
  long long range = static_cast<long long>(max) - min;
  long long perBar = std::max(0, width - 3) / step;
  long long n = range <= 0 ? perBar + 1 : (static_cast<long long>(position) - min) * perBar / range + 1;
  int inner = width - 4;
  if (inner <= 0) return b;  // no room inside the frame
  if (n * step > inner) {
    b.whole = inner / step;
    b.partial = inner % step;
  } else {
    b.whole = static_cast<int>(n);
  }
  return b;
}

TApdMeter::TApdMeter(QWidget* parent) : QWidget(parent) {
  const QPalette& p = palette();
  barColor_ = p.color(QPalette::Highlight);
  bevel1_ = p.color(QPalette::Light);
  bevel2_ = p.color(QPalette::Dark);
  resize(150, 16);
}

void TApdMeter::SetMin(int v) { min_ = v; recompute(false); }
void TApdMeter::SetMax(int v) { max_ = v; recompute(false); }
void TApdMeter::SetPosition(int v) { position_ = v; recompute(false); }
void TApdMeter::SetStep(int v) { step_ = std::max(1, v); recompute(true); }
void TApdMeter::SetBarColor(const QColor& c) { barColor_ = c; update(); }
void TApdMeter::SetBevelColor1(const QColor& c) { bevel1_ = c; update(); }
void TApdMeter::SetBevelColor2(const QColor& c) { bevel2_ = c; update(); }
void TApdMeter::SetBevelStyle(TBevelStyle s) { bevelStyle_ = s; update(); }

void TApdMeter::PosChange() {
  if (OnPosChange) OnPosChange(*this);
}

// Repaints only when the count of whole blocks or the presence of the partial block
// changes, so a fast stream of position updates costs nothing between block edges.
void TApdMeter::recompute(bool force) {
  MeterBlocks now = meterBlocks(position_, min_, max_, step_, width());
  bool changed = now.whole != shown_.whole || (now.partial > 0) != (shown_.partial > 0);
  shown_ = now;
  if (changed || force) {
    ++blockRepaints_;
    update();
  }
  if (changed) PosChange();
}

void TApdMeter::resizeEvent(QResizeEvent*) { recompute(true); }

void TApdMeter::paintEvent(QPaintEvent*) {
  QPainter p(this);
  int w = width(), h = height();
  QColor topLeft = bevelStyle_ == bsLowered ? bevel2_ : bevel1_;
  QColor bottomRight = bevelStyle_ == bsLowered ? bevel1_ : bevel2_;
  p.setPen(topLeft);
  p.drawLine(0, 0, w - 1, 0);
  p.drawLine(0, 0, 0, h - 1);
  p.setPen(bottomRight);
  p.drawLine(0, h - 1, w - 1, h - 1);
  p.drawLine(w - 1, 0, w - 1, h - 1);
  int top = 2, bottom = h - 2;
  if (bottom <= top) return;
  // Block i spans x = i*step+2 .. (i+1)*step, leaving a gap of one pixel between blocks.
  for (int i = 0; i < shown_.whole; ++i) {
    int left = i * step_ + 2, right = (i + 1) * step_;
    if (right > left) p.fillRect(left, top, right - left, bottom - top, barColor_);
  }
  if (shown_.partial > 0) {
    int left = shown_.whole * step_ + 2;
    p.fillRect(left, top, shown_.partial, bottom - top, barColor_);
  }
}

}  // namespace quillon::compose
