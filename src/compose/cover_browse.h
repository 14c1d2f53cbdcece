#pragma once
// TCoverBrowse ("Cover Sheet Template Browser"): the cover sheet templates by description.
// Management mode (File menu): New, Edit, Clone, Delete, Close. Pick mode (the fax editor's
// Load Template): Accept leaves the chosen template as the cover table's current record.
#include "compose/browse_window.h"
#include "compose/compose_context.h"

class QPushButton;

namespace quillon::compose {

class TCoverEditor;

class TCoverBrowse : public BrowseWindow {
  Q_OBJECT

 public:
  // Over the main window's cover table, which the caller has opened (OpenCoverDBF).
  explicit TCoverBrowse(ComposeContext& context, QWidget* parent = nullptr);

  void setPickMode();  // Accept and Cancel shown, Close hidden

  QPushButton *NewButton, *ModifyButton, *CloneButton, *DeleteButton, *CloseButton, *Acceptbutton, *CancelButton,
      *HelpButton;
  bool cloneRequest = false;

  void NewButtonClick();
  void ModifyButtonClick();
  void CloneButtonClick();
  void DeleteButtonClick();

 protected:
  void updateButtons() override;

 private:
  // Runs the editor; true when accepted.
  bool runEditor(TCoverEditor& editor);
  bool storeTemplate(TCoverEditor& editor);

  ComposeContext& context_;
};

const app::ListLayout& coverListLayout();
inline constexpr int kHelpCoverBrowse = 1017;

}  // namespace quillon::compose
