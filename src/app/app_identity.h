#pragma once
// The program's name, version and icon as the desktop sees them.
#include <QIcon>

namespace quillon::app {

// Quillon's icon (a fax page with a telephone handset) in the sizes the desktop asks for.
QIcon applicationIcon();

// Names the application "Quillon" with its version and gives it the icon. No display name
// is set: the platform would append it to every caption ("About — Quillon"), and the
// captions are the program's own texts.
void setApplicationIdentity();

}  // namespace quillon::app
