#pragma once
// The composing windows worked through as a user would, with a screenshot of each: a new fax
// with a recipient from the phone book, a cover template with fields and a typed document,
// then the fax rendered and its pages saved as images.
#include <QString>

namespace quillon::app {
class TMainScreen;
}

namespace quillon::screenshots {

// Adds phone book entries and a cover template with merge fields to the window's store.
bool addComposeSamples(app::TMainScreen& window);
// Saves fax-editor-*.png, phone-book*.png, cover-*.png, received-notes.png and
// rendered-page-N.png into `out`. False when a step failed.
bool composeScreenshots(app::TMainScreen& window, const QString& out);

}  // namespace quillon::screenshots
