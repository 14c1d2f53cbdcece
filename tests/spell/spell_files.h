#pragma once
// Dictionaries written into a test folder from word lists.
#include <string>
#include <vector>

#include "spell/dictionary_builder.h"
#include "support/temp_dir.h"

namespace quillon::test {

// Writes a main dictionary of `words` as NAME in `dir` and returns its path.
inline std::string writeMainDictionary(const TempDir& dir, const std::vector<std::string>& words,
                                       const std::string& name = "qln.dct",
                                       std::uint32_t maxNodesPerPart = spell::kMaxNodes) {
  dir.write(name, spell::buildMainDictionary(spell::prepareWords(words, 30), maxNodesPerPart).bytes);
  return dir.file(name);
}

inline std::vector<std::string> sortedCopy(std::vector<std::string> words) {
  std::sort(words.begin(), words.end());
  return words;
}

}  // namespace quillon::test
