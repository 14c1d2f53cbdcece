#include "compose/view_fax.h"

#include "app/dialogs.h"
#include "app/main_screen.h"
#include "compose/fax_viewer_window.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::compose {

void installFaxViewer(app::TMainScreen& mainScreen) {
  mainScreen.faxViewer = [&mainScreen](const std::string& faxFile, const QString& description) {
    TFaxViewer viewer(mainScreen.settingsStore(), &mainScreen);
    viewer.FileName = faxFile;
    viewer.HeaderText = qtplatform::toCp1252(description);
    viewer.exec();
  };
}

}  // namespace quillon::compose
