#pragma once
// quillon rtf FILE.rtf --pages OUTDIR [--zoom N]: lays an RTF document out on US Letter pages
// (or the page size the file gives) and writes each page as OUTDIR/page-NNN.png.
#include <iosfwd>
#include <string>
#include <vector>

namespace quillon::richtext {

int runRtfPagesCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace quillon::richtext
