#pragma once
// Remote machines keep pages in memory; these read them from and write them to fax files,
// and make the sample page the demo line sends.
#include <string>
#include <vector>

#include "fax_page.h"

namespace quillon::modem {

// The pages of a fax file as they go on the line (line records joined). 0 or a negative status.
int loadFaxFile(const std::string& path, std::vector<FaxPage>& pages);
// Writes a received fax as a fax file (raw page data, station ID, the current time).
int saveFaxFile(const std::string& path, const ReceivedFax& fax);
// A page with a frame, a title bar and rows of grey blocks, coded for the line.
FaxPage samplePage(bool fine);

}  // namespace quillon::modem
