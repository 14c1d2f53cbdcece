#pragma once
// The columns of the outgoing and incoming grids: labels, display widths and the calculated
// fields SentYesNo and ISDELETED.
#include <string>
#include <string_view>
#include <vector>

namespace quillon::app {

struct ListColumn {
  enum class Kind { Text, Date, Number, YesNo };
  const char* name;   // field or calculated field name
  const char* label;
  int field;          // index into ListLayout::fields
  Kind kind;
  int displayWidth;   // characters
  bool visible = true;
};

struct ListLayout {
  std::vector<std::string> fields;  // the fields a row carries
  std::vector<ListColumn> columns;
};

const ListLayout& outgoingListLayout();  // over the sent table
const ListLayout& incomingListLayout();  // over the received table

// The calculated fields: "Yes" or "No " (three characters, trailing blank).
const char* yesNo(bool value);
// A logical field's stored byte: T, t, Y and y are true.
bool logicalValue(std::string_view stored);

}  // namespace quillon::app
