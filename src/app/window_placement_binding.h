#pragma once
// Window placement bound to real windows: the rectangle and maximised state kept in QLN.INI
// under "<class>_Placement" (plus the pixels-per-inch above 96).
#include <string>

class QWidget;

namespace quillon::settings {
class SettingsStore;
}

namespace quillon::app {

// The placement section of `windowClass` for the screen `window` is on.
std::string placementSectionFor(const QWidget* window, const std::string& windowClass);

// At window creation: gives the window its stored normal rectangle (shifted into a smaller
// screen), centres it when none is stored, maximises it when it was, and saves the placement
// straight back. Write failures throw platform::FileWriteError.
void restoreWindowPlacement(QWidget* window, const std::string& windowClass,
                            const settings::SettingsStore& store);

// At window closing: the normal (not maximised) rectangle and whether it is maximised.
void saveWindowPlacement(const QWidget* window, const std::string& windowClass,
                         const settings::SettingsStore& store);

}  // namespace quillon::app
