#pragma once
// The main window's View command opens the viewer window through this.
#include <QString>

#include <string>

class QWidget;

namespace quillon::settings {
class SettingsStore;
}

namespace quillon::compose {

// Shows the viewer window modally on `faxFile` with its one-line description.
void viewFax(const settings::SettingsStore& settings, QWidget* parent, const std::string& faxFile,
             const QString& description);

}  // namespace quillon::compose
