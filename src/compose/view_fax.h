#pragma once
// Plugs the viewer window into the main window's View command.
namespace quillon::app {
class TMainScreen;
}

namespace quillon::compose {

void installFaxViewer(app::TMainScreen& mainScreen);

}  // namespace quillon::compose
