// quillon table: dump, query, check and rebuild the xBase tables.
#include <ostream>

#include "cli/command.h"
#include "store/table_tool.h"

namespace quillon::cli {

namespace {

constexpr const char* kUsage =
    "usage: quillon table dump FILE.DBF [--tag NAME] [--all] [--json]\n"
    "       quillon table query FILE.DBF EXPR [--all] [--json]\n"
    "       quillon table check FILE.DBF\n"
    "       quillon table rebuild [--data-dir DIR]\n";

}  // namespace

int runTableCommand(CommandContext& context) {
  const auto& a = context.args;
  if (a.empty()) {
    context.err << kUsage;
    return 2;
  }
  std::vector<std::string> words;
  store::DumpOptions options;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--all") options.all = true;
    else if (a[i] == "--json") options.json = true;
    else if (a[i] == "--tag" && i + 1 < a.size()) options.tag = engineText(a[++i]);
    else if (a[i].rfind("--", 0) == 0) {
      context.err << "quillon table: unknown option '" << a[i] << "'\n" << kUsage;
      return 2;
    } else words.push_back(a[i]);
  }
  const std::string& verb = a[0];
  if (verb == "dump" && words.size() == 1)
    return store::dumpTableTool(words[0], options, context.out, context.err);
  if (verb == "query" && words.size() == 2)
    return store::queryTableTool(words[0], engineText(words[1]), options.all, options.json,
                                 context.out, context.err);
  if (verb == "check" && words.size() == 1)
    return store::checkTableTool(words[0], context.out, context.err);
  if (verb == "rebuild" && words.empty())
    return store::rebuildTool(context.dataFolder(), context.out, context.err);
  context.err << kUsage;
  return 2;
}

}  // namespace quillon::cli
