#pragma once
// TCoverEditor ("Cover Sheet Template Editor"): one cover sheet template as rich text with
// insertable merge fields, and its description.
#include <QDialog>

#include "compose/compose_context.h"

class QAction;
class QLineEdit;
class QMenu;
class QPushButton;

namespace quillon::richtext {
class TWPRichText;
class TWPToolBar;
}  // namespace quillon::richtext

namespace quillon::compose {

class TCoverEditor : public QDialog {
  Q_OBJECT

 public:
  explicit TCoverEditor(ComposeContext& context, QWidget* parent = nullptr);
  ~TCoverEditor() override;

  richtext::TWPRichText* WPCover;
  richtext::TWPToolBar* WPToolBar1;
  QLineEdit* CoverDescription;
  QPushButton *InsertButton, *Zoombutton, *OKbutton, *CancelButton, *HelpButton;
  QAction *ParagraphButton, *PageBreakButton, *WordWrapButton, *DefFontButton;
  QMenu* InsertMenu;
  QMenu* ZoomMenu;

  void InsertButtonClick();
  void ZoombuttonClick();
  void insertMergeField(int number);
  void setZoom(int percent);

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  ComposeContext& context_;
  bool shown_ = false;
};

inline constexpr int kHelpCoverEditor = 1018;
inline constexpr int kCoverDescriptionLimit = 35;

}  // namespace quillon::compose
