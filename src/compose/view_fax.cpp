#include "compose/view_fax.h"

#include "compose/fax_viewer_window.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::compose {

void viewFax(const settings::SettingsStore& settings, QWidget* parent, const std::string& faxFile,
             const QString& description) {
  TFaxViewer viewer(settings, parent);
  viewer.FileName = faxFile;
  viewer.HeaderText = qtplatform::toCp1252(description);
  viewer.exec();
}

}  // namespace quillon::compose
