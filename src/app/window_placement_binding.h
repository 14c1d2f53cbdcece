#pragma once
// Window placement bound to real windows: the window's rectangle with its frame, in screen
// pixels, and its maximised state, kept in QLN.INI under "<class>_Placement" (plus the
// screen's pixels per inch above 96, which under Qt's scaling is 96 times the device pixel
// ratio).
#include <string>

class QWidget;

namespace quillon::settings {
class SettingsStore;
}

namespace quillon::app {

// Screen pixels per inch from Qt's logical dots per inch (96 under high-DPI scaling) and the
// device pixel ratio: 120 at a scale of 1.25.
int screenPixelsPerInch(double logicalDotsPerInch, double devicePixelRatio);

// The placement section of `windowClass` for the screen `window` is on.
std::string placementSectionFor(const QWidget* window, const std::string& windowClass);

// At window creation: gives the window its stored normal rectangle (shifted into a smaller
// screen), centres it when none is stored, maximises it when it was, and saves the placement
// straight back. Write failures throw platform::FileWriteError.
void restoreWindowPlacement(QWidget* window, const std::string& windowClass,
                            const settings::SettingsStore& store);

// After the first show of a window restored before it was shown: places its frame where
// the stored rectangle says, now that the window system has told us the frame.
void settleWindowFrame(QWidget* window);

// At window closing: the normal (not maximised) rectangle and whether it is maximised.
void saveWindowPlacement(const QWidget* window, const std::string& windowClass,
                         const settings::SettingsStore& store);

}  // namespace quillon::app
