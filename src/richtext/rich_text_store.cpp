#include "richtext/rich_text_store.h"

#include "richtext/rich_text_control.h"

namespace quillon::richtext {

bool LoadRichText(TWPRichText& control, store::FaxStore& store, xbase::Table& table, const std::string& field) {
  control.clear();
  const std::optional<std::string> rtf = store.loadRichText(table, field);
  if (!rtf) return false;
  if (!rtf->empty()) control.loadRtf(*rtf);
  control.viewport()->update();
  return true;
}

bool SaveRichText(TWPRichText& control, store::FaxStore& store, xbase::Table& table, const std::string& field) {
  return store.saveRichText(table, field, control.saveRtf());
}

}  // namespace quillon::richtext
