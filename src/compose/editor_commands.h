#pragma once
// The editing commands the cover editor and the fax editor share: zoom menu, word wrap, page
// break, paragraph properties, the default font and the spelling check of one rich-text
// control.
#include <QFont>
#include <QString>

#include <functional>
#include <optional>
#include <string>

#include "compose/compose_context.h"

class QAction;
class QMenu;
class QWidget;

namespace quillon::richtext {
class TWPRichText;
}

namespace quillon::compose {

using richtext::TWPRichText;

// ---- zoom: "70%", "80%", "100%", each carrying its percentage as data
QMenu* makeZoomMenu(QWidget* parent);
QString zoomCaption(int percent);  // "208%"
// Pops the menu up just below `button` (its bottom-left corner) with the current zoom ticked;
// the chosen percentage, or nothing when the menu was dismissed.
std::optional<int> popUpZoomMenu(QMenu& menu, QWidget* button, int current);

// ---- word wrap: the button is down while wrap is on; its hint names the next action
QString wordWrapHint(bool wrapOn);
void showWordWrap(QAction* button, bool wrapOn);
void toggleWordWrap(TWPRichText& editor, QAction* button);

// ---- page break: asks "Add a page break here?"; Yes makes the caret's paragraph start a page
bool askPageBreak(TWPRichText& editor);

// ---- paragraph properties (TParagraphPropDlg, modal)
void paragraphProperties(TWPRichText& editor, QWidget* parent);

// ---- default font ([Default Font] of the settings)
QFont defaultFont(const settings::Settings& settings);
void applyDefaultFont(TWPRichText& editor, const settings::Settings& settings);
// The font dialog: the chosen font, or nothing on Cancel. Tests replace it.
using FontChooser = std::function<std::optional<QFont>(const QFont& initial, QWidget* parent)>;
FontChooser& fontChooser();
// Reloads the settings from the file, offers the default font and, on OK, stores the choice
// and writes the file. The open editors keep their fonts. True when a font was chosen.
bool chooseDefaultFont(ComposeContext& context, QWidget* parent);

// ---- window placement of the editors ("<class>_Placement"): restored at creation (a failure
// to write it back is reported at closing), saved at closing (a failure is reported)
void restoreEditorPlacement(QWidget* window, const char* windowClass, const ComposeContext& context);
void saveEditorPlacement(QWidget* window, const char* windowClass, const ComposeContext& context);

// ---- spelling: the dialog over the control (dictionaries of the data folder), ending with
// the product's information box
void spellCheck(TWPRichText& editor, const std::string& dataFolder, QWidget* parent);

}  // namespace quillon::compose
