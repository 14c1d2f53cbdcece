#pragma once
// TAcropSpell: the spelling checker. It owns the dictionary files (one main dictionary, which
// may hold several sub-dictionaries, and any number of user dictionaries), tells whether a
// word is known, ranks suggestions for a word and adds words to a user dictionary.
// Words are Windows Latin-1 text.
#include <cstdint>
#include <string>
#include <vector>

#include "spell/dictionary_file.h"
#include "spell/spelling_key.h"

namespace quillon::spell {

class SuggestionList;

class TAcropSpell {
 public:
  static constexpr std::uint8_t kMostSuggestions = 220;

  TAcropSpell() = default;
  TAcropSpell(const TAcropSpell&) = delete;
  TAcropSpell& operator=(const TAcropSpell&) = delete;

  const std::string& DictionaryName() const { return dictionaryName_; }
  void setDictionaryName(const std::string& name);
  const std::string& DictionaryUser() const { return dictionaryUser_; }
  void setDictionaryUser(const std::string& name) { dictionaryUser_ = name; }
  std::uint8_t MaxSuggestions() const { return maxSuggestions_; }
  void setMaxSuggestions(std::uint8_t count) { maxSuggestions_ = count > kMostSuggestions ? kMostSuggestions : count; }

  // Opens a main dictionary unless one is open already (then true); the name becomes
  // DictionaryName on success.
  bool OpenDictionary(const std::string& fileName);
  // The new user dictionary's number, or -1 when the file cannot be opened or is not a sound
  // user dictionary.
  int OpenUserDictionary(const std::string& fileName);
  // Creates (or empties) a user dictionary holding "A" and the given words; its number or -1.
  int CreateUserDictionary(const std::string& fileName, const std::vector<std::string>& words);
  void CloseDictionaries();

  bool IsWord(const std::string& word);
  std::vector<std::string> Suggest(const std::string& word);
  // Adds a word of at most 25 characters to the user dictionary with that number; false when
  // it is refused or cannot be written.
  bool AddWord(const std::string& word, int dictionaryNumber);

  bool hasMainDictionary() const;
  // Why the last open or create failed (for the command line and logs).
  const std::string& lastError() const { return lastError_; }

 private:
  void openMainWhenNeeded();
  void refreshUserHeaders();
  bool isKnown(const std::string& upperWord) const;
  void collectCandidates(const Dictionary& dictionary, const SpellingKey& target, const std::string& upperWord,
                         SuggestionList& list) const;
  Dictionary* userDictionary(int number);
  int takeNumber();

  std::string dictionaryName_ = "acrop.dct";
  std::string dictionaryUser_ = "custom.dct";
  std::uint8_t maxSuggestions_ = 10;
  std::vector<Dictionary> dictionaries_;  // in opening order
  int nextNumber_ = 0;
  bool mainOpenFailed_ = false;  // DictionaryName was tried and failed; not tried again for every word
  std::string lastError_;
};

}  // namespace quillon::spell
