#pragma once
// Names for received fax files when the application supplies none.
#include <string>

namespace quillon::fax {

// Mode 1: "FAX" + 4 digits + "." + ext; mode 2: month, day (2 digits each) + 4 digits + "." +
// ext; 0: "noname.apf". The number is the lowest from 0001 with no such file in `folder`;
// the name includes the folder. With all 9999 taken: "NONAME.APF" without folder.
std::string DefaultFaxName(int namingMode, const std::string& folder, const std::string& extension, int month,
                           int day);
// The folder as stored: a "/" appended unless it is empty or already ends in one.
std::string FolderWithSeparator(const std::string& folder);

}  // namespace quillon::fax
