#pragma once
// Writing main dictionaries from word lists, and reading any dictionary back to its words.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "spell/dictionary_format.h"

namespace quillon::spell {

// The words a main dictionary can hold, upper-cased and in trie order: words with a byte
// outside the dictionary alphabet or longer than `maxLength` are left out, and so is a
// possessive "X'S" whose X is listed (the look-up knows it from X).
std::vector<std::string> prepareWords(const std::vector<std::string>& latin1Words, std::size_t maxLength);

struct MainDictionaryImage {
  std::string bytes;
  std::size_t words = 0;
  std::vector<std::uint32_t> nodesPerPart;  // one entry per sub-dictionary
};

// A main dictionary file of prepared words, split into as many sub-dictionaries as needed to
// keep each within `maxNodesPerPart` nodes.
MainDictionaryImage buildMainDictionary(const std::vector<std::string>& preparedWords,
                                        std::uint32_t maxNodesPerPart = kMaxNodes);

// Every word of a main or user dictionary file (upper case, Latin-1), sub-dictionary by
// sub-dictionary; nothing (and the reason) when the file is not a sound dictionary.
std::optional<std::vector<std::string>> dictionaryWords(const std::string& path, std::string& error);

}  // namespace quillon::spell
