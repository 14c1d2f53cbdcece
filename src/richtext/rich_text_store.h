#pragma once
// LoadRichText / SaveRichText: a memo field's RTF into a TWPRichText and back, through the
// store's scratch file DataFolder + "Eraseme.rtf". A memo that cannot be exported leaves the
// control empty.
#include <string>

#include "store/fax_store.h"

namespace quillon::richtext {

class TWPRichText;

// Clears the control, then loads the memo. False when the memo could not be exported (the
// control stays empty); true otherwise, also for an empty memo or text that is not RTF.
bool LoadRichText(TWPRichText& control, store::FaxStore& store, xbase::Table& table, const std::string& field);
// Stores the control's RTF into the memo of the current record; the scratch file stays.
bool SaveRichText(TWPRichText& control, store::FaxStore& store, xbase::Table& table, const std::string& field);

}  // namespace quillon::richtext
