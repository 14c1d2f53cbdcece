#pragma once
// Joining fax files: the pages of one file appended to another, and a list of files joined
// into one. Both check every file's signature and keep the page count within 16 bits.
#include <string>
#include <vector>

namespace quillon::faximage {

// Appends the pages of `source` to `dest`: the page chain of `dest` is walked to its end and
// everything from the source's first page on is copied there unchanged; the page counts are
// added and `dest` keeps its own station ID and date. -2 when a file is missing, -8001 for a
// file that is not a fax file or whose pages would pass 65535.
int AppendFaxFile(const std::string& dest, const std::string& source);

// Joins `files` into `output` (created or replaced): the first file's header and pages, then
// the pages of every further file. On failure `output` is deleted. An output that is one of
// the inputs is refused (-1002) and nothing is touched.
int JoinFaxFiles(const std::vector<std::string>& files, const std::string& output);

}  // namespace quillon::faximage
