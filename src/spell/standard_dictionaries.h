#pragma once
// The checker's two files in the data folder: the main dictionary supplied with the program
// and the user's own dictionary, created on first use.
#include <string>

#include "spell/acrop_spell.h"

namespace quillon::spell {

inline constexpr const char* kMainDictionaryFile = "qln.dct";
inline constexpr const char* kUserDictionaryFile = "qlnu.dct";

struct StandardDictionaries {
  bool main = false;  // the main dictionary is open
  int user = -1;      // the user dictionary's number, -1 when it could not be opened or created
};

// The main dictionary of `dataFolder`, else the one shipped in `programFolder` (both ending in
// '/'): a data folder away from the program (--data-dir, or a per-user folder when the program's
// folder cannot be written) still checks against the shipped word list.
std::string mainDictionaryPath(const std::string& dataFolder, const std::string& programFolder);

// Opens the main dictionary `mainPath` and the user dictionary `userPath`; a missing user
// dictionary is created empty. A user dictionary that exists but cannot be read is left alone
// (never overwritten) and gives -1.
StandardDictionaries openStandardDictionaries(TAcropSpell& checker, const std::string& mainPath,
                                              const std::string& userPath);

}  // namespace quillon::spell
