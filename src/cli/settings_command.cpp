// quillon settings: every key of the settings file with the value the program would use.
#include <ostream>
#include <variant>

#include "cli/command.h"
#include "platform/json_text.h"
#include "platform/cp1252.h"
#include "platform/version.h"
#include "settings/settings_store.h"

namespace quillon::cli {

namespace {

using platform::jsonString;


struct Entry {
  std::string section, key, text, json;
};

std::vector<Entry> effectiveValues(const settings::SettingsStore& store) {
  auto loaded = store.load();
  std::vector<Entry> entries;
  for (const auto& k : settings::settingKeys()) {
    Entry e{k.section, k.key, "", ""};
    std::visit(
        [&](auto member) {
          const auto& v = loaded.values.*member;
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, int>) {
            e.text = e.json = std::to_string(v);
          } else if constexpr (std::is_same_v<T, bool>) {
            e.text = v ? "1" : "0";
            e.json = v ? "true" : "false";
          } else {
            e.text = platform::cp1252ToUtf8(v);
            e.json = jsonString(v);
          }
        },
        k.member);
    entries.push_back(std::move(e));
  }
  entries.push_back({"Version", "Version", kVersion, jsonString(kVersion)});
  auto print = store.loadPrintOptions();
  for (auto [key, value] : {std::pair{"MultiPage", print.multiPage}, std::pair{"Header", print.header},
                            std::pair{"Footer", print.footer}})
    entries.push_back({"Printing", key, value ? "1" : "0", value ? "true" : "false"});
  return entries;
}

}  // namespace

int runSettingsCommand(CommandContext& context) {
  for (const auto& a : context.args)
    if (a != "--json") {
      context.err << "quillon settings: unknown option '" << a << "'\n";
      return 2;
    }
  settings::SettingsStore store(context.dataFolder());
  auto entries = effectiveValues(store);
  if (context.hasFlag("--json")) {
    context.out << "{";
    std::string section;
    for (const auto& e : entries) {
      if (e.section != section) {
        context.out << (section.empty() ? "\n  " : "\n  },\n  ") << jsonString(e.section) << ": {";
        section = e.section;
      } else {
        context.out << ",";
      }
      context.out << "\n    " << jsonString(e.key) << ": " << e.json;
    }
    context.out << "\n  }\n}\n";
    return 0;
  }
  context.out << "; " << store.path() << "\n";
  std::string section;
  for (const auto& e : entries) {
    if (e.section != section) {
      context.out << (section.empty() ? "" : "\n") << "[" << e.section << "]\n";
      section = e.section;
    }
    context.out << e.key << "=" << e.text << "\n";
  }
  return 0;
}

}  // namespace quillon::cli
