#include "spell/standard_dictionaries.h"

#include <filesystem>

namespace quillon::spell {

StandardDictionaries openStandardDictionaries(TAcropSpell& checker, const std::string& mainPath,
                                              const std::string& userPath) {
  StandardDictionaries opened;
  opened.main = checker.OpenDictionary(mainPath);
  std::error_code ec;
  if (std::filesystem::exists(userPath, ec))
    opened.user = checker.OpenUserDictionary(userPath);
  else if (!ec)
    opened.user = checker.CreateUserDictionary(userPath, {});
  return opened;
}

}  // namespace quillon::spell
