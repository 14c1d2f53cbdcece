#include "spell/dictionary_format.h"

#include <algorithm>

#include "spell/spell_chars.h"

namespace quillon::spell {

namespace {

void putLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t getLe32(const unsigned char* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint8_t codeAt(std::string_view word, std::size_t i) { return charCode(static_cast<unsigned char>(word[i])); }

std::size_t commonPrefix(std::string_view a, std::string_view b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && codeAt(a, n) == codeAt(b, n)) ++n;
  return n;
}

// Lays out the list of characters at `depth` shared by words[lo, hi) and returns its first
// node. Every word in the range is longer than `depth`.
std::uint16_t layoutList(NodeArray& nodes, const std::vector<std::string>& words, std::size_t lo, std::size_t hi,
                         std::size_t depth) {
  struct Group {
    std::size_t lo, hi;
  };
  std::vector<Group> groups;
  for (std::size_t i = lo; i < hi;) {
    std::size_t j = i + 1;
    while (j < hi && codeAt(words[j], depth) == codeAt(words[i], depth)) ++j;
    groups.push_back({i, j});
    i = j;
  }
  auto first = static_cast<std::uint16_t>(nodes.size());
  nodes.resize(nodes.size() + groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) {
    auto [glo, ghi] = groups[g];
    Node node;
    node.flags = codeAt(words[glo], depth);
    if (g + 1 == groups.size()) node.flags |= kLastInList;
    std::size_t below = glo;
    if (words[glo].size() == depth + 1) {  // sorted shorter first
      node.flags |= kWordEnd;
      ++below;
    }
    if (below < ghi) node.child = layoutList(nodes, words, below, ghi, depth + 1);
    nodes[first + g] = node;
  }
  return first;
}

}  // namespace

std::string encodeHeader(const DictionaryHeader& h) {
  std::string out;
  putLe32(out, h.nodeCount);
  putLe32(out, h.capacity);
  putLe32(out, h.wordCount);
  out.push_back(static_cast<char>(h.kind));
  putLe32(out, h.position);
  return out;
}

DictionaryHeader decodeHeader(const unsigned char* p) {
  return {getLe32(p), getLe32(p + 4), getLe32(p + 8), p[12], getLe32(p + 13)};
}

void encodeNode(const Node& node, unsigned char* out) {
  out[0] = static_cast<unsigned char>(node.child & 0xFF);
  out[1] = static_cast<unsigned char>(node.child >> 8);
  out[2] = node.flags;
}

Node decodeNode(const unsigned char* p) { return {static_cast<std::uint16_t>(p[0] | p[1] << 8), p[2]}; }

std::optional<std::string> checkTrie(const NodeArray& nodes) {
  std::size_t count = nodes.empty() ? 0 : nodes.size() - 1;
  if (count == 0) return std::nullopt;
  if (count >= kFreeSlot) return "more nodes than a 16-bit index can reach";
  std::vector<bool> seen(count + 1);
  std::vector<std::size_t> lists{1};
  while (!lists.empty()) {
    std::size_t n = lists.back();
    lists.pop_back();
    for (;; ++n) {
      if (n > count) return "a sibling list runs past the last node";
      if (seen[n]) return "node " + std::to_string(n) + " is reached twice (a loop or a shared list)";
      seen[n] = true;
      const Node& node = nodes[n];
      if (node.hasChild()) {
        if (node.child > count) return "node " + std::to_string(n) + " points outside the dictionary";
        lists.push_back(node.child);
      }
      if (node.last()) break;
    }
  }
  return std::nullopt;
}

void forEachWord(const NodeArray& nodes, const std::function<void(const std::string&)>& word) {
  if (nodes.size() < 2) return;
  // Iterative, so that a deep trie (a long chain in a damaged file) cannot exhaust the stack.
  std::vector<std::size_t> resume;  // per depth: the node to continue with after the child list
  std::string prefix;
  std::size_t n = 1;
  while (true) {
    const Node& node = nodes[n];
    prefix.push_back(codeChar(node.code()));
    if (node.wordEnd()) word(prefix);
    if (node.hasChild()) {
      resume.push_back(n);
      n = node.child;
      continue;
    }
    prefix.pop_back();
    while (nodes[n].last()) {  // the list is done: back to the node after its parent
      if (resume.empty()) return;
      n = resume.back();
      resume.pop_back();
      prefix.pop_back();
    }
    ++n;
  }
}

void insertWord(NodeArray& nodes, std::string_view word) {
  if (word.empty()) return;
  auto appendChain = [&](std::size_t from) {  // the rest of the word as one-node lists; returns its first node
    auto first = static_cast<std::uint16_t>(nodes.size());
    for (std::size_t i = from; i < word.size(); ++i) {
      Node node{kNoChild, static_cast<std::uint8_t>(codeAt(word, i) | kLastInList)};
      if (i + 1 < word.size()) node.child = static_cast<std::uint16_t>(nodes.size() + 1);
      nodes.push_back(node);
    }
    return first;
  };
  if (nodes.size() < 2) {  // an empty trie: the word is its first list
    nodes.resize(1);
    appendChain(0);
    nodes.back().flags |= kWordEnd;
    return;
  }
  std::size_t list = 1;
  for (std::size_t i = 0;; ++i) {
    std::uint8_t code = codeAt(word, i);
    std::size_t n = list;
    while (nodes[n].code() != code && !nodes[n].last()) ++n;
    if (nodes[n].code() != code) {
      std::size_t at = n + 1;  // after the list's last node
      nodes[n].flags &= static_cast<std::uint8_t>(~kLastInList);
      nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(at), Node{kNoChild, static_cast<std::uint8_t>(code | kLastInList)});
      for (Node& other : nodes)
        if (other.hasChild() && other.child >= at) ++other.child;
      n = at;
    }
    if (i + 1 == word.size()) {
      nodes[n].flags |= kWordEnd;
      return;
    }
    if (!nodes[n].hasChild()) {
      std::uint16_t chain = appendChain(i + 1);
      nodes[n].child = chain;
      nodes.back().flags |= kWordEnd;
      return;
    }
    list = nodes[n].child;
  }
}

void sortByCode(std::vector<std::string>& words) {
  auto less = [](const std::string& a, const std::string& b) {
    std::size_t n = commonPrefix(a, b);
    if (n == a.size() || n == b.size()) return a.size() < b.size();
    return codeAt(a, n) < codeAt(b, n);
  };
  std::sort(words.begin(), words.end(), less);
  auto same = [](const std::string& a, const std::string& b) {
    return a.size() == b.size() && commonPrefix(a, b) == a.size();
  };
  words.erase(std::unique(words.begin(), words.end(), same), words.end());
}

NodeArray buildTrie(const std::vector<std::string>& words) {
  NodeArray nodes(1);
  std::size_t lo = 0;
  while (lo < words.size() && words[lo].empty()) ++lo;
  if (lo < words.size()) layoutList(nodes, words, lo, words.size(), 0);
  return nodes;
}

std::size_t newNodesFor(std::string_view word, std::string_view previous) {
  return word.size() - commonPrefix(word, previous);
}

std::string textHeader(bool mainDictionary) {
  return std::string(mainDictionary ? "Quillon main spelling dictionary" : "Quillon user spelling dictionary") +
         "\r\n" + kTextHeaderEnd;
}

}  // namespace quillon::spell
