// The spelling checker beside hunspell (en_US) on the same text and the same misspellings:
// words checked per second, time per suggestion run (median and slowest), and how often the
// intended word is the first suggestion and among the first five.
//   bench_spell_checker [TEXT] [MISSPELLINGS]
#include <hunspell.hxx>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/cp1252.h"
#include "spell/acrop_spell.h"
#include "spell/dictionary_builder.h"
#include "spell/spell_chars.h"
#include "spell/text_words.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Misspelling {
  std::string typed, intended;
};

struct Checker {
  const char* name;
  std::function<bool(const std::string&)> isWord;  // Latin-1 words
  std::function<std::vector<std::string>(const std::string&)> suggest;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<Misspelling> readMisspellings(const std::string& path) {
  std::vector<Misspelling> list;
  std::istringstream lines(readFile(path));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#') continue;
    auto blank = line.find(' ');
    list.push_back({line.substr(0, blank), line.substr(blank + 1)});
  }
  return list;
}

bool sameWord(const std::string& a, const std::string& b) {
  return quillon::spell::upperCase(a) == quillon::spell::upperCase(b);
}

// Words per second: the text again and again for a fifth of a second.
double checkRate(const Checker& c, const std::vector<std::string>& words, std::size_t& unknown) {
  std::size_t checked = 0;
  unknown = 0;
  auto start = Clock::now();
  double elapsed = 0;
  while (elapsed < 0.2) {
    unknown = 0;
    for (const auto& w : words) unknown += !c.isWord(w);
    checked += words.size();
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  }
  return checked / elapsed;
}

void measure(const Checker& c, double rate, std::size_t unknown, std::size_t words,
             const std::vector<Misspelling>& typos) {
  std::vector<double> times;
  std::size_t first = 0, topFive = 0;
  std::string missed;
  for (const auto& t : typos) {
    auto begin = Clock::now();
    auto list = c.suggest(t.typed);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - begin).count());
    auto at = std::find_if(list.begin(), list.end(), [&](const std::string& s) { return sameWord(s, t.intended); });
    first += at == list.begin() && at != list.end();
    topFive += at != list.end() && at - list.begin() < 5;
    if (at == list.end() || at - list.begin() >= 5) missed += " " + t.typed + (list.empty() ? "" : "(" + list[0] + ")");
  }
  std::sort(times.begin(), times.end());
  std::printf("%-28s %10.0f words/s  (%zu of %zu unknown)  suggest median %6.2f ms  slowest %6.2f ms  "
              "first %3zu/%zu  top five %3zu/%zu\n",
              c.name, rate, unknown, words, times[times.size() / 2],
              times.back(), first, typos.size(), topFive, typos.size());
  std::printf("%-28s not in the first five (first suggestion):%s\n", "", missed.c_str());
}

Checker ours(const char* name, quillon::spell::TAcropSpell& spell) {
  return {name, [&spell](const std::string& w) { return spell.IsWord(w); },
          [&spell](const std::string& w) { return spell.Suggest(w); }};
}

}  // namespace

int main(int argc, char** argv) {
  std::string textPath = argc > 1 ? argv[1] : QUILLON_BENCH_TEXT;
  std::string typoPath = argc > 2 ? argv[2] : QUILLON_BENCH_MISSPELLINGS;
  std::vector<std::string> words;
  for (auto& w : quillon::spell::splitWords(quillon::platform::utf8ToCp1252(readFile(textPath)))) words.push_back(w.text);
  auto typos = readMisspellings(typoPath);
  if (words.empty() || typos.empty()) {
    std::fprintf(stderr, "bench_spell_checker: no words in %s or no misspellings in %s\n", textPath.c_str(), typoPath.c_str());
    return 1;
  }
  std::printf("text %s: %zu words; %zu misspellings\n", textPath.c_str(), words.size(), typos.size());

  char pattern[] = "/tmp/quillon-bench-spell-XXXXXX";
  std::string dir = std::string(::mkdtemp(pattern)) + "/";
  quillon::spell::TAcropSpell spell;
  if (!spell.OpenDictionary(QUILLON_MAIN_DICTIONARY)) {
    std::fprintf(stderr, "bench_spell_checker: %s\n", spell.lastError().c_str());
    return 1;
  }
  // As the dialog has it: with a user dictionary, whose header is read again before every
  // look-up; and the main dictionary alone, to show what that read costs.
  spell.CreateUserDictionary(dir + "qlnu.dct", {"Quillon", "telefax"});
  quillon::spell::TAcropSpell mainOnly;
  mainOnly.OpenDictionary(QUILLON_MAIN_DICTIONARY);
  std::vector<Checker> checkers{ours("quillon (wamerican)", spell), ours("quillon (main only)", mainOnly)};

  // The larger word list, to weigh the choice of qln.dct.
  const std::string large = "/usr/share/dict/american-english-large";
  quillon::spell::TAcropSpell bigger;
  if (std::filesystem::exists(large)) {
    std::vector<std::string> list;
    std::istringstream lines(readFile(large));
    for (std::string line; std::getline(lines, line);) list.push_back(quillon::platform::utf8ToCp1252(line));
    auto image = quillon::spell::buildMainDictionary(quillon::spell::prepareWords(list, 30));
    std::ofstream(dir + "large.dct", std::ios::binary) << image.bytes;
    bigger.OpenDictionary(dir + "large.dct");
    bigger.CreateUserDictionary(dir + "qlnu-large.dct", {});
    checkers.push_back(ours("quillon (wamerican-large)", bigger));
  }

  Hunspell hunspell("/usr/share/hunspell/en_US.aff", "/usr/share/hunspell/en_US.dic");
  using quillon::platform::cp1252ToUtf8;
  checkers.push_back({"hunspell 1.7 (en_US)", [&](const std::string& w) { return hunspell.spell(cp1252ToUtf8(w)); },
                      [&](const std::string& w) { return hunspell.suggest(cp1252ToUtf8(w)); }});

  // Rounds taken in turn, best of five each, so that a busy machine treats all alike.
  std::vector<double> rates(checkers.size());
  std::vector<std::size_t> unknown(checkers.size());
  for (int round = 0; round < 5; ++round)
    for (std::size_t i = 0; i < checkers.size(); ++i) rates[i] = std::max(rates[i], checkRate(checkers[i], words, unknown[i]));
  for (std::size_t i = 0; i < checkers.size(); ++i) measure(checkers[i], rates[i], unknown[i], words.size(), typos);
  std::filesystem::remove_all(dir);
  return 0;
}
