#pragma once
// Window placement and dialog centring as plain arithmetic on rectangles; the GUI binds these
// to real windows.
#include <optional>
#include <string>
#include <string_view>

namespace quillon::settings {

class IniDocument;

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

struct Point {
  int x = 0, y = 0;
  bool operator==(const Point&) const = default;
};

struct StoredPlacement {
  Rect rect;
  bool maximized = false;
};

// "<class>_Placement", with the pixels-per-inch number appended above 96.
std::string placementSection(std::string_view windowClass, int pixelsPerInch);

StoredPlacement readPlacement(const IniDocument& doc, const std::string& section, bool currentlyMaximized);
void writePlacement(IniDocument& doc, const std::string& section, const Rect& normal, bool maximized);

// The rectangle to give a window from its stored one: nothing when Bottom is 0 (the window is
// centred instead); otherwise shifted left/up so that it ends at the screen's right/bottom
// edge when the screen is now smaller, keeping its size.
std::optional<Rect> restoredRect(const Rect& stored, int screenWidth, int screenHeight);

// Top-left corner that centres a window on the screen, or over the main window.
Point centreOnScreen(int screenWidth, int screenHeight, int width, int height);
Point centreOver(const Rect& mainWindow, int width, int height);

// The centring rule for dialogs and windows without a stored placement: the main window, and
// any window while the main window is maximised, goes to the screen's centre; any other
// window is centred over the main window.
Point centreWindow(bool isMainWindow, bool mainMaximized, const Rect& mainWindow, int screenWidth,
                   int screenHeight, int width, int height);

}  // namespace quillon::settings
