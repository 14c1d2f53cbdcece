#pragma once
// Flow-control stop and resume levels as percentages of the input queue size, taken to the
// nearest whole number with halves going to the even neighbour (90% of 4096 is 3686, 10% is
// 410).
namespace quillon::serial {

unsigned percentOf(unsigned value, unsigned percent);

struct FlowLevels {
  unsigned full;
  unsigned resume;
};

// Hardware flow: a full level of 0 or above `inSize` becomes 90% of `inSize`; a resume level
// of 0 or above the full level becomes 10% of `inSize`.
FlowLevels hardwareFlowLevels(unsigned inSize, unsigned full, unsigned resume);
// Software flow: the same with 75% and 25%.
FlowLevels softwareFlowLevels(unsigned inSize, unsigned full, unsigned resume);

}  // namespace quillon::serial
