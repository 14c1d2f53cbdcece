#pragma once
// Ranking of suggestions: a similarity score from common substrings, and the ranked list.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::spell {

// Candidates and words are compared on their first 30 characters.
constexpr std::size_t kMaxCandidateLength = 30;

// 100 for identical texts, 0 for texts without a common character: twice the length of the
// longest common substring, plus the same for the parts right and then left of it, over the
// two lengths. Apostrophes in the candidate are not counted.
int similarity(std::string_view candidate, std::string_view word);

struct Suggestion {
  std::string text;
  int score = 0;
};

// The best candidates in descending score order; among equal scores the earlier one stays ahead.
class SuggestionList {
 public:
  explicit SuggestionList(std::size_t capacity) : capacity_(capacity) {}

  // Places the candidate after every entry with an equal or higher score; the last entry drops
  // out of a full list. A candidate already listed is not listed twice.
  void insert(std::string candidate, int score);
  const std::vector<Suggestion>& entries() const { return entries_; }

 private:
  std::size_t capacity_;
  std::vector<Suggestion> entries_;
};

}  // namespace quillon::spell
