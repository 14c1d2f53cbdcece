#pragma once
// quillon render OUT.APF [--record N] [--data-dir DIR]
// quillon render OUT.APF --cover FILE.rtf --document FILE.rtf [--data-dir DIR]
// Renders a stored outgoing fax (record N of the sent table, else the first one listed),
// or a cover and a document given as RTF files, into the fax file OUT.APF, as sending and
// viewing do. Runs without a display.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quillon::compose {

int runRenderCommand(const std::vector<std::string>& args, const std::string& dataFolder, std::ostream& out,
                     std::ostream& err);

}  // namespace quillon::compose
