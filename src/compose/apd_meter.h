#pragma once
// TApdMeter: the segmented progress bar of the fax status window. A bevelled frame holds
// whole blocks of `Step` pixels and, when the whole blocks no longer fit, one partial block.
#include <QColor>
#include <QWidget>

#include <functional>

namespace quillon::compose {

// What the meter shows: `whole` blocks and, when `partial` > 0, one block of that many pixels
// after them.
struct MeterBlocks {
  int whole = 0;
  int partial = 0;
  bool operator==(const MeterBlocks&) const = default;
};

// The block arithmetic for a meter `width` pixels wide. Position at or below min shows
// nothing; a position past max is capped by the width rule like any other overflow.
MeterBlocks meterBlocks(int position, int min, int max, int step, int width);

class TApdMeter : public QWidget {
 public:
  enum TBevelStyle { bsLowered, bsRaised };

  explicit TApdMeter(QWidget* parent = nullptr);

  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v);
  QColor BarColor() const { return barColor_; }
  void SetBarColor(const QColor& c);
  QColor BevelColor1() const { return bevel1_; }
  void SetBevelColor1(const QColor& c);
  QColor BevelColor2() const { return bevel2_; }
  void SetBevelColor2(const QColor& c);
  TBevelStyle BevelStyle() const { return bevelStyle_; }
  void SetBevelStyle(TBevelStyle s);

  // Raised when the blocks shown change (not on every position change).
  std::function<void(TApdMeter&)> OnPosChange;
  // How often the meter asked to be repainted because its blocks changed (for tests).
  int BlockRepaints() const { return blockRepaints_; }

  QSize sizeHint() const override { return {150, 16}; }

 protected:
  virtual void PosChange();
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void recompute(bool force);

  int min_ = 0, max_ = 100, position_ = 0, step_ = 8;
  QColor barColor_, bevel1_, bevel2_;
  TBevelStyle bevelStyle_ = bsLowered;
  MeterBlocks shown_;
  int blockRepaints_ = 0;
};

}  // namespace quillon::compose
