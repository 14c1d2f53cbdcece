// Any bytes as a dictionary file: open it as the main dictionary and as a user dictionary,
// look words up, ask for suggestions, add a word and list the words. A word that was added
// must be known afterwards.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "spell/acrop_spell.h"
#include "spell/dictionary_builder.h"

namespace {

// The file lives in memory, so no run waits for a disk.
const std::string& filePath(int& fd) {
  static int file = ::memfd_create("spell-fuzz.dct", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(file);
  fd = file;
  return path;
}

void load(const std::uint8_t* data, std::size_t size) {
  int fd;
  filePath(fd);
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::spell;
  int fd;
  const std::string& path = filePath(fd);
  load(data, size);
  {
    TAcropSpell spell;
    if (spell.OpenDictionary(path)) {
      spell.IsWord("paper");
      spell.IsWord("fax's");
      spell.Suggest("Papr");
    }
  }
  {
    TAcropSpell spell;
    spell.setDictionaryName("");
    int number = spell.OpenUserDictionary(path);
    if (number >= 0) {
      spell.Suggest("modm");
      if (spell.AddWord("quillon", number) && !spell.IsWord("Quillon")) __builtin_trap();
    }
  }
  std::string error;
  dictionaryWords(path, error);
  return 0;
}
