#pragma once
// Table files found whatever the case of their names: a folder copied from another system
// may hold qln.dbf, Qln.Fpt or QLN.cdx where Quillon writes QLN.DBF, QLN.FPT, QLN.CDX.
#include <string>

namespace quillon::xbase {

// The existing file in the folder of `path` whose name equals the name of `path` ignoring
// (ASCII) case: `path` itself when it exists, otherwise the first such name in byte order;
// `path` unchanged when there is none.
std::string existingPathAnyCase(const std::string& path);

// The companion file of a table (".FPT", ".CDX"): an existing file of the table's base name
// and that extension in any case, else the name to create, in the case style of the table's
// own extension (QLN.DBF -> QLN.CDX, a.dbf -> a.cdx).
std::string companionPath(const std::string& tablePath, const char* extension);

}  // namespace quillon::xbase
