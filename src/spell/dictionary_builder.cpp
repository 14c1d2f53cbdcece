#include "spell/dictionary_builder.h"

#include <algorithm>
#include <unordered_set>

#include "spell/dictionary_file.h"
#include "spell/spell_chars.h"

namespace quillon::spell {

std::vector<std::string> prepareWords(const std::vector<std::string>& latin1Words, std::size_t maxLength) {
  std::vector<std::string> words;
  for (const auto& w : latin1Words) {
    if (w.empty() || w.size() > maxLength) continue;
    if (!std::all_of(w.begin(), w.end(), [](char c) { return inAlphabet(static_cast<unsigned char>(c)); })) continue;
    words.push_back(upperCase(w));
  }
  std::unordered_set<std::string> listed(words.begin(), words.end());
  auto coveredPossessive = [&](const std::string& w) {
    return w.size() > 2 && w.compare(w.size() - 2, 2, "'S") == 0 && listed.count(w.substr(0, w.size() - 2));
  };
  words.erase(std::remove_if(words.begin(), words.end(), coveredPossessive), words.end());
  sortByCode(words);
  return words;
}

MainDictionaryImage buildMainDictionary(const std::vector<std::string>& words, std::uint32_t maxNodesPerPart) {
  MainDictionaryImage image;
  image.bytes = textHeader(true);
  image.words = words.size();
  auto writePart = [&](std::size_t lo, std::size_t hi) {
    NodeArray nodes = buildTrie(std::vector<std::string>(words.begin() + static_cast<std::ptrdiff_t>(lo),
                                                         words.begin() + static_cast<std::ptrdiff_t>(hi)));
    auto count = static_cast<std::uint32_t>(nodes.size() - 1);
    DictionaryHeader header{count, count, static_cast<std::uint32_t>(hi - lo), 1,
                            static_cast<std::uint32_t>(image.bytes.size())};
    image.bytes += encodeHeader(header);
    unsigned char node[kNodeSize];
    for (std::uint32_t n = 1; n <= count; ++n) {
      encodeNode(nodes[n], node);
      image.bytes.append(reinterpret_cast<char*>(node), kNodeSize);
    }
    image.nodesPerPart.push_back(count);
  };
  std::size_t start = 0, nodes = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::size_t added = i == start ? words[i].size() : newNodesFor(words[i], words[i - 1]);
    if (nodes + added > maxNodesPerPart && i > start) {
      writePart(start, i);
      start = i;
      added = words[i].size();
      nodes = 0;
    }
    nodes += added;
  }
  if (start < words.size() || words.empty()) writePart(start, words.size());
  return image;
}

std::optional<std::vector<std::string>> dictionaryWords(const std::string& path, std::string& error) {
  std::vector<Dictionary> parts;
  if (auto main = openMainDictionary(path, error)) {
    parts = std::move(*main);
  } else {
    std::string userError;
    auto user = openUserDictionary(path, userError);
    if (!user) {
      if (error.find("not a main dictionary") != std::string::npos) error = userError;
      return std::nullopt;
    }
    parts.push_back(std::move(*user));
  }
  std::vector<std::string> words;
  for (auto& part : parts) {
    auto nodes = loadNodes(part, &error);
    if (!nodes) return std::nullopt;
    forEachWord(*nodes, [&](const std::string& w) { words.push_back(w); });
  }
  return words;
}

}  // namespace quillon::spell
