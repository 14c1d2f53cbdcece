#pragma once
// The table tools behind `quillon table ...`: dump a table, list the records an expression
// selects, check a table's structure and index, and run the index rebuild on a data folder.
// Each returns the process exit status (0 fine, 1 a problem found or an error).
#include <iosfwd>
#include <string>

namespace quillon::store {

struct DumpOptions {
  std::string tag;   // empty: natural order
  bool all = false;  // also records flagged deleted
  bool json = false;
};

int dumpTableTool(const std::string& path, const DumpOptions& options, std::ostream& out,
                  std::ostream& err);
int queryTableTool(const std::string& path, const std::string& expression, bool all, bool json,
                   std::ostream& out, std::ostream& err);
int checkTableTool(const std::string& path, std::ostream& out, std::ostream& err);
int rebuildTool(const std::string& dataFolder, std::ostream& out, std::ostream& err);

}  // namespace quillon::store
