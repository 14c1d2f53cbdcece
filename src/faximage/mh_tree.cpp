#include "faximage/mh_tree.h"

#include <stdexcept>

namespace quillon::faximage {
namespace {

void insert(MhTree& tree, MhCode code, int16_t leaf) {
  int16_t node = 0;
  for (int i = code.length - 1; i >= 0; --i) {
    int bit = (code.bits >> i) & 1;
    if (tree.nodes[node].next[bit] == kNoNode) {
      tree.nodes[node].next[bit] = static_cast<int16_t>(tree.nodes.size());
      tree.nodes.emplace_back();
    }
    node = tree.nodes[node].next[bit];
  }
  tree.nodes[node].leaf = leaf;
}

MhTree build(Colour colour) {
  MhTree tree;
  tree.nodes.emplace_back();
  forEachRunCode(colour, [&](int run, MhCode code) { insert(tree, code, static_cast<int16_t>(run)); });
  insert(tree, kEolCode, kEolLeaf);
  int16_t node = 0;
  for (int i = 0; i < 11; ++i) node = tree.nodes[node].next[0];
  tree.zeroNode = node;
  tree.nodes[node].next[0] = node;
  if (tree.nodes.size() > 306) throw std::logic_error("decode tree too large");
  return tree;
}

}  // namespace

const MhTree& MhTree::of(Colour colour) {
  static const MhTree white = build(Colour::White);
  static const MhTree black = build(Colour::Black);
  return colour == Colour::White ? white : black;
}

}  // namespace quillon::faximage
