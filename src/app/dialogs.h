#pragma once
// The shared message boxes of every window, and the centring every dialog gets when it opens.
#include <QString>

class QWidget;

namespace quillon::app {

// The main window that dialogs centre over (set by TMainScreen while it lives).
void setMainWindow(QWidget* window);
QWidget* mainWindow();

// Places `window` by the centring rule: on the screen for the main window, or for any window
// while the main window is maximised; otherwise centred over the main window.
void centreWindow(QWidget* window);

// Modal box captioned "Information" with the information icon and an OK button.
void InfoBox(const QString& text);
// Modal Yes/No question boxes with the question icon; true on Yes. The default button is
// Yes for AskYesNo and No for AskYesNoDefaultNo.
bool AskYesNo(const QString& text, const QString& caption);
bool AskYesNoDefaultNo(const QString& text, const QString& caption);

// The notice of a command whose window comes in a later version.
void notAvailableYet(const QString& command);

}  // namespace quillon::app
