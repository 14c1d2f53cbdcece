// quillon spell check|suggest|add|dump: the spelling checker from the command line.
#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/command.h"
#include "platform/data_folder.h"
#include "platform/file_io.h"
#include "platform/cp1252.h"
#include "spell/acrop_spell.h"
#include "spell/dictionary_builder.h"
#include "spell/spell_chars.h"
#include "spell/standard_dictionaries.h"
#include "spell/text_words.h"

namespace quillon::cli {

namespace {

constexpr std::size_t kSuggestionsShown = 5;

const char* const kUsage =
    "usage: quillon spell check FILE.txt|FILE.rtf\n"
    "       quillon spell suggest WORD\n"
    "       quillon spell add WORD\n"
    "       quillon spell dump FILE.dct\n";

// Text files may be UTF-8 or Latin-1; the checker works in Latin-1.
std::string toLatin1(const std::string& bytes) {
  bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return bytes;
  std::string converted = platform::utf8ToCp1252(bytes);
  bool wasUtf8 = std::count(converted.begin(), converted.end(), '?') == std::count(bytes.begin(), bytes.end(), '?') &&
                 converted.size() < bytes.size();
  return wasUtf8 ? converted : bytes;
}

std::string lowerCaseName(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// Opens qln.dct from the data folder, else the one shipped beside the program, and qlnu.dct
// from the data folder (created when missing).
spell::StandardDictionaries openDictionaries(CommandContext& context, spell::TAcropSpell& checker,
                                             const std::string& folder) {
  const std::string main = spell::mainDictionaryPath(folder, platform::executableFolder());
  auto opened = spell::openStandardDictionaries(checker, main, folder + spell::kUserDictionaryFile);
  if (!opened.main)
    context.err << "quillon spell: no main dictionary (" << checker.lastError() << "); using the user dictionary alone\n";
  if (opened.user < 0) context.err << "quillon spell: no user dictionary (" << checker.lastError() << ")\n";
  return opened;
}

void printList(std::ostream& out, const std::vector<std::string>& words, std::size_t most) {
  for (std::size_t i = 0; i < words.size() && i < most; ++i)
    out << (i ? ", " : "") << platform::cp1252ToUtf8(words[i]);
}

int check(CommandContext& context, const std::string& path) {
  std::string error;
  auto bytes = platform::readWholeFile(path, &error);
  if (!bytes) {
    context.err << "quillon spell: cannot read " << path << (error.empty() ? ": no such file" : ": " + error) << "\n";
    return 1;
  }
  std::string name = lowerCaseName(std::filesystem::path(path).extension().string());
  std::string text = name == ".rtf" ? spell::rtfPlainText(*bytes) : toLatin1(*bytes);
  spell::TAcropSpell checker;
  openDictionaries(context, checker, context.dataFolder());
  auto words = spell::splitWords(text);
  std::size_t unknown = 0;
  for (const auto& w : words) {
    if (checker.IsWord(w.text)) continue;
    ++unknown;
    context.out << w.line << ": " << platform::cp1252ToUtf8(w.text) << " -> ";
    printList(context.out, checker.Suggest(w.text), kSuggestionsShown);
    context.out << "\n";
  }
  context.out << unknown << " unknown of " << words.size() << " words\n";
  return unknown == 0 ? 0 : 1;
}

int suggest(CommandContext& context, const std::string& word) {
  spell::TAcropSpell checker;
  openDictionaries(context, checker, context.dataFolder());
  std::string latin1 = platform::utf8ToCp1252(word);
  if (checker.IsWord(latin1)) context.out << "(" << word << " is known)\n";
  for (const auto& s : checker.Suggest(latin1)) context.out << platform::cp1252ToUtf8(s) << "\n";
  return 0;
}

int add(CommandContext& context, const std::string& word) {
  std::string latin1 = platform::utf8ToCp1252(word);
  if (latin1.empty() || latin1.size() > spell::kMaxWordLength ||
      !std::all_of(latin1.begin(), latin1.end(), [](char c) { return spell::inAlphabet(static_cast<unsigned char>(c)); })) {
    context.err << "quillon spell add: '" << word << "' is not a word the dictionary can hold (letters, ' and -, at most "
                << spell::kMaxWordLength << ")\n";
    return 2;
  }
  spell::TAcropSpell checker;
  std::string folder = context.dataFolder();
  auto opened = openDictionaries(context, checker, folder);
  if (opened.user < 0) return 1;
  if (!checker.AddWord(latin1, opened.user)) {
    context.err << "quillon spell add: the user dictionary did not take '" << word << "' (full or not writable)\n";
    return 1;
  }
  context.out << "added " << word << " to " << folder << spell::kUserDictionaryFile << "\n";
  return 0;
}

int dump(CommandContext& context, const std::string& path) {
  std::string error;
  auto words = spell::dictionaryWords(path, error);
  if (!words) {
    context.err << "quillon spell dump: " << error << "\n";
    return 1;
  }
  for (const auto& w : *words) context.out << platform::cp1252ToUtf8(w) << "\n";
  return 0;
}

}  // namespace

int runSpellCommand(CommandContext& context) {
  const auto& args = context.args;
  if (args.size() != 2) {
    context.err << kUsage;
    return 2;
  }
  if (args[0] == "check") return check(context, args[1]);
  if (args[0] == "suggest") return suggest(context, args[1]);
  if (args[0] == "add") return add(context, args[1]);
  if (args[0] == "dump") return dump(context, args[1]);
  context.err << kUsage;
  return 2;
}

}  // namespace quillon::cli
