#include "spell/similarity.h"

#include <algorithm>

namespace quillon::spell {

namespace {

int commonTotal(std::string_view c, std::string_view w) {
  if (c.empty() || w.empty()) return 0;
  std::size_t best = 0, bestC = 0, bestW = 0;
  for (std::size_t i = 0; i < c.size() && c.size() - i > best; ++i)
    for (std::size_t j = 0; j < w.size(); ++j) {
      std::size_t n = 0;
      while (i + n < c.size() && j + n < w.size() && c[i + n] == w[j + n]) ++n;
      if (n > best) best = n, bestC = i, bestW = j;
    }
  if (best == 0) return 0;
  return static_cast<int>(2 * best) + commonTotal(c.substr(bestC + best), w.substr(bestW + best)) +
         commonTotal(c.substr(0, bestC), w.substr(0, bestW));
}

}  // namespace

int similarity(std::string_view candidate, std::string_view word) {
  std::string c(candidate.substr(0, kMaxCandidateLength));
  c.erase(std::remove(c.begin(), c.end(), '\''), c.end());
  word = word.substr(0, kMaxCandidateLength);
  std::size_t lengths = c.size() + word.size();
  if (lengths == 0) return 0;
  return commonTotal(c, word) * 100 / static_cast<int>(lengths);
}

void SuggestionList::insert(std::string candidate, int score) {
  if (capacity_ == 0) return;
  for (const auto& e : entries_)
    if (e.text == candidate) return;
  auto place = std::find_if(entries_.begin(), entries_.end(), [score](const Suggestion& e) { return e.score < score; });
  if (place == entries_.end() && entries_.size() >= capacity_) return;
  entries_.insert(place, Suggestion{std::move(candidate), score});
  if (entries_.size() > capacity_) entries_.pop_back();
}

}  // namespace quillon::spell
