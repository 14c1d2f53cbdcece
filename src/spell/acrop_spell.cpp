#include "spell/acrop_spell.h"

#include <algorithm>

#include "spell/similarity.h"
#include "spell/spell_chars.h"

namespace quillon::spell {

namespace {

constexpr std::size_t kMaxTypedLength = 40;
constexpr std::size_t kMaxPrefixLength = 40;
constexpr int kLastNumber = 65534;

bool knownIn(const Dictionary& d, const std::string& word) {
  if (word.empty()) return false;
  std::uint32_t n = d.firstLetter[charCode(static_cast<unsigned char>(word[0]))];
  std::optional<Node> node = d.node(n);  // nothing for n == 0: no word begins with the letter
  for (std::size_t i = 1;; ++i) {
    if (!node) return false;
    if (i == word.size()) return node->wordEnd();
    if (!node->hasChild()) return false;
    std::uint8_t code = charCode(static_cast<unsigned char>(word[i]));
    for (n = node->child;; ++n) {  // node() ends the scan at the last node of the dictionary
      node = d.node(n);
      if (!node || node->code() == code) break;
      if (node->last()) return false;
    }
  }
}

// The depth-first walk over one dictionary for one target key. `seen` stops the walk at a node
// met twice, which only a damaged file can make happen.
struct CandidateWalk {
  const Dictionary& dictionary;
  const SpellingKey& target;
  const std::string& word;
  SuggestionList& list;
  std::vector<bool> seen;
  std::string prefix;

  void walkList(std::uint32_t start) {
    for (std::uint32_t n = start;; ++n) {
      auto node = dictionary.node(n);
      if (!node || seen[n]) return;
      seen[n] = true;
      char ch = codeChar(node->code());
      if (node->wordEnd()) {
        std::string candidate = prefix + ch;
        candidate.resize(std::min(candidate.size(), kMaxCandidateLength));
        int score = similarity(candidate, word);
        list.insert(std::move(candidate), score);
      }
      if (node->hasChild() && prefix.size() < kMaxPrefixLength) {
        prefix.push_back(ch);
        if (prefixKey(prefix, target) == target) walkList(node->child);
        prefix.pop_back();
      }
      if (node->last()) return;
    }
  }
};

void matchCapitals(std::string& suggestion, const std::string& typed) {
  for (char& c : suggestion) c = static_cast<char>(lowerCase(static_cast<unsigned char>(c)));
  std::size_t j = 0;
  for (char& c : suggestion) {
    if (!isLetter(static_cast<unsigned char>(c))) continue;
    while (j < typed.size() && !isLetter(static_cast<unsigned char>(typed[j]))) ++j;
    if (j == typed.size()) return;
    if (isUpperLetter(static_cast<unsigned char>(typed[j]))) c = static_cast<char>(upperCase(static_cast<unsigned char>(c)));
    ++j;
  }
}

}  // namespace

void TAcropSpell::setDictionaryName(const std::string& name) {
  dictionaryName_ = name;
  mainOpenFailed_ = false;
}

bool TAcropSpell::hasMainDictionary() const {
  return std::any_of(dictionaries_.begin(), dictionaries_.end(), [](const Dictionary& d) { return !d.isUser(); });
}

bool TAcropSpell::OpenDictionary(const std::string& fileName) {
  if (hasMainDictionary()) return true;
  auto parts = openMainDictionary(fileName, lastError_);
  if (!parts) return false;
  for (auto& part : *parts) dictionaries_.push_back(std::move(part));
  dictionaryName_ = fileName;
  mainOpenFailed_ = false;
  return true;
}

int TAcropSpell::takeNumber() {
  int number = nextNumber_;
  nextNumber_ = nextNumber_ >= kLastNumber ? 0 : nextNumber_ + 1;
  return number;
}

int TAcropSpell::OpenUserDictionary(const std::string& fileName) {
  auto d = openUserDictionary(fileName, lastError_);
  if (!d) return -1;
  d->number = takeNumber();
  dictionaries_.push_back(std::move(*d));
  return dictionaries_.back().number;
}

int TAcropSpell::CreateUserDictionary(const std::string& fileName, const std::vector<std::string>& words) {
  if (!writeNewUserDictionary(fileName, lastError_)) return -1;
  int number = OpenUserDictionary(fileName);
  if (number < 0) return -1;
  for (const auto& w : words) AddWord(w, number);
  return number;
}

void TAcropSpell::CloseDictionaries() {
  dictionaries_.clear();
  mainOpenFailed_ = false;
}

void TAcropSpell::openMainWhenNeeded() {
  if (hasMainDictionary() || mainOpenFailed_) return;
  mainOpenFailed_ = !OpenDictionary(dictionaryName_);
}

void TAcropSpell::refreshUserHeaders() {
  for (auto& d : dictionaries_)
    if (d.isUser()) refreshUserDictionary(d);
}

bool TAcropSpell::isKnown(const std::string& word) const {
  if (word.size() <= 1) return true;
  for (const auto& d : dictionaries_)
    if (knownIn(d, word)) return true;
  if (word.size() > 2 && word.compare(word.size() - 2, 2, "'S") == 0) return isKnown(word.substr(0, word.size() - 2));
  return false;
}

bool TAcropSpell::IsWord(const std::string& word) {
  openMainWhenNeeded();
  refreshUserHeaders();
  return isKnown(upperCase(word));
}

void TAcropSpell::collectCandidates(const Dictionary& d, const SpellingKey& target, const std::string& word,
                                    SuggestionList& list) const {
  CandidateWalk walk{d, target, word, list, std::vector<bool>(d.header.nodeCount + 1), {}};
  walk.walkList(1);
}

std::vector<std::string> TAcropSpell::Suggest(const std::string& typedWord) {
  openMainWhenNeeded();
  refreshUserHeaders();
  std::string typed = typedWord.substr(0, kMaxTypedLength);
  std::string word = upperCase(std::string_view(typedWord).substr(0, kMaxWordLength));
  if (word.empty()) return {};
  SuggestionList list(maxSuggestions_);
  SpellingKey key = wordKey(word);
  for (char letter : alternativeFirstLetters(static_cast<unsigned char>(word[0]))) {
    SpellingKey target = key;
    target[0] = static_cast<unsigned char>(letter);
    for (const auto& d : dictionaries_) collectCandidates(d, target, word, list);
  }
  // Two words written together: both halves known.
  int length = static_cast<int>(word.size());
  auto isAorI = [](char c) { return c == 'A' || c == 'I'; };
  int from = isAorI(word.front()) ? 1 : 2;
  int to = isAorI(word.back()) ? length - 1 : length - 2;
  for (int d = from; d <= to; ++d) {
    std::string left = word.substr(0, static_cast<std::size_t>(d)), right = word.substr(static_cast<std::size_t>(d));
    if (!isKnown(left) || !isKnown(right)) continue;
    std::string candidate = left + " " + right;
    int score = similarity(candidate, word);
    list.insert(std::move(candidate), score);
  }
  bool typedHasLower = std::any_of(typed.begin(), typed.end(), [](char c) { return isLowerLetter(static_cast<unsigned char>(c)); });
  std::vector<std::string> out;
  for (const auto& s : list.entries()) {
    out.push_back(s.text);
    if (typedHasLower) matchCapitals(out.back(), typed);
  }
  return out;
}

Dictionary* TAcropSpell::userDictionary(int number) {
  for (auto& d : dictionaries_)
    if (d.isUser() && d.number == number) return &d;
  return nullptr;
}

bool TAcropSpell::AddWord(const std::string& word, int dictionaryNumber) {
  Dictionary* d = userDictionary(dictionaryNumber);
  if (!d || word.empty() || word.size() > kMaxWordLength) return false;
  if (!refreshUserDictionary(*d) || word.size() + d->header.nodeCount > kMaxUserNodes) return false;
  NodeArray nodes = d->nodes;
  insertWord(nodes, upperCase(word));
  return storeUserDictionary(*d, nodes, d->header.wordCount + 1);
}

}  // namespace quillon::spell
