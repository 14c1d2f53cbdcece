#include "spell/standard_dictionaries.h"

#include <filesystem>

namespace quillon::spell {

std::string mainDictionaryPath(const std::string& dataFolder, const std::string& programFolder) {
  const std::string own = dataFolder + kMainDictionaryFile;
  const std::string shipped = programFolder + kMainDictionaryFile;
  std::error_code ec;
  if (!std::filesystem::exists(own, ec) && std::filesystem::exists(shipped, ec)) return shipped;
  return own;
}

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
