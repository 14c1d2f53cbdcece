#pragma once
// The decode trees: one per colour, built from the run codes and the EOL code. A node has a
// successor for bit 0 and for bit 1; a leaf holds a run length or the EOL mark. The node
// reached by eleven 0 bits leads back to itself on a further 0, so any number of fill bits
// may stand before an EOL.
#include <cstdint>
#include <vector>

#include "faximage/mh_codes.h"

namespace quillon::faximage {

inline constexpr int16_t kNoNode = -1;
inline constexpr int16_t kNoLeaf = -1;
inline constexpr int16_t kEolLeaf = 0x7FFF;

struct MhTree {
  struct Node {
    int16_t next[2] = {kNoNode, kNoNode};
    int16_t leaf = kNoLeaf;  // run length, kEolLeaf, or kNoLeaf for an inner node
  };
  std::vector<Node> nodes;  // nodes[0] is the root
  int16_t zeroNode = kNoNode;  // the node after eleven 0 bits

  static const MhTree& of(Colour colour);  // built once
};

}  // namespace quillon::faximage
