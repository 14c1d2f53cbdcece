// Any bytes as a settings file: parse, read every key, save and parse again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/settings_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::settings;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  IniDocument doc = IniDocument::parse(bytes);
  LoadedSettings loaded = readSettings(doc);
  readPrintOptions(doc);
  readPlacement(doc, "TMainScreen_Placement", false);
  for (const auto& section : doc.sectionNames()) doc.keyNames(section);
  if (doc.serialize() != bytes) __builtin_trap();  // an untouched document keeps its bytes
  writeSettings(doc, loaded.values);
  IniDocument again = IniDocument::parse(doc.serialize());
  LoadedSettings reread = readSettings(again);
  // What was saved reads back, unless a value held a lone CR (saved as a blank).
  bool loneCr = false;
  for (std::size_t i = 0; i < size; ++i)
    if (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n')) loneCr = true;
  if (!loneCr && !(reread.values == loaded.values)) __builtin_trap();
  return 0;
}
