#include "settings/window_placement.h"

#include "settings/ini_document.h"
#include "settings/ini_values.h"

namespace quillon::settings {

std::string placementSection(std::string_view windowClass, int pixelsPerInch) {
  std::string name = std::string(windowClass) + "_Placement";
  if (pixelsPerInch > 96) name += std::to_string(pixelsPerInch);
  return name;
}

StoredPlacement readPlacement(const IniDocument& doc, const std::string& section, bool currentlyMaximized) {
  StoredPlacement p;
  p.rect.left = readInteger(doc.value(section, "Left"), 0);
  p.rect.top = readInteger(doc.value(section, "Top"), 0);
  p.rect.right = readInteger(doc.value(section, "Right"), 0);
  p.rect.bottom = readInteger(doc.value(section, "Bottom"), 0);
  p.maximized = readBoolean(doc.value(section, "Maximized"), currentlyMaximized);
  return p;
}

void writePlacement(IniDocument& doc, const std::string& section, const Rect& normal, bool maximized) {
  doc.setValue(section, "Left", writeInteger(normal.left));
  doc.setValue(section, "Top", writeInteger(normal.top));
  doc.setValue(section, "Right", writeInteger(normal.right));
  doc.setValue(section, "Bottom", writeInteger(normal.bottom));
  doc.setValue(section, "Maximized", writeBoolean(maximized));
}

std::optional<Rect> restoredRect(const Rect& stored, int screenWidth, int screenHeight) {
  if (stored.bottom == 0) return std::nullopt;
  Rect r = stored;
  if (screenWidth < r.right) {
    int shift = r.right - screenWidth;
    r.left -= shift;
    r.right -= shift;
  }
  if (screenHeight < r.bottom) {
    int shift = r.bottom - screenHeight;
    r.top -= shift;
    r.bottom -= shift;
  }
  return r;
}

Point centreOnScreen(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

Point centreOver(const Rect& mainWindow, int width, int height) {
  return {mainWindow.left + (mainWindow.width() - width) / 2,
          mainWindow.top + (mainWindow.height() - height) / 2};
}

Point centreWindow(bool isMainWindow, bool mainMaximized, const Rect& mainWindow, int screenWidth,
                   int screenHeight, int width, int height) {
  if (isMainWindow || mainMaximized) return centreOnScreen(screenWidth, screenHeight, width, height);
  return centreOver(mainWindow, width, height);
}

}  // namespace quillon::settings
