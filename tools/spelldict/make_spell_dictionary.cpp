// Builds a main spelling dictionary from word lists (one UTF-8 word a line):
//   make_spell_dictionary OUTPUT.dct WORDLIST...
// Words the dictionary alphabet cannot hold are left out; the trie is split into as many
// sub-dictionaries as its 16-bit node indexes need.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/cp1252.h"
#include "spell/dictionary_builder.h"
#include "spell/similarity.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: make_spell_dictionary OUTPUT.dct WORDLIST...\n";
    return 2;
  }
  std::vector<std::string> words;
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::cerr << "make_spell_dictionary: cannot read " << argv[i] << "\n";
      return 1;
    }
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      words.push_back(quillon::platform::utf8ToCp1252(line));
    }
  }
  auto prepared = quillon::spell::prepareWords(words, quillon::spell::kMaxCandidateLength);
  auto image = quillon::spell::buildMainDictionary(prepared);
  try {
    quillon::platform::writeFileAtomically(argv[1], image.bytes);
  } catch (const std::exception& e) {
    std::cerr << "make_spell_dictionary: " << e.what() << "\n";
    return 1;
  }
  std::cout << argv[1] << ": " << image.words << " words of " << words.size() << " in " << image.nodesPerPart.size()
            << " sub-dictionaries\n";
  return 0;
}
