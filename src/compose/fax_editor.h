#pragma once
// TFaxEditor ("Fax Editor"): the recipient, the fax document and the cover sheet of one
// outgoing fax, on three pages chosen by toggle buttons. The caller fills it, runs it modally
// (1 = accepted, 2 = cancelled) and stores what it holds; the window itself stores nothing.
#include <QDateTime>
#include <QDialog>

#include <functional>
#include <optional>

#include "compose/compose_context.h"

class QAction;
class QButtonGroup;
class QLineEdit;
class QMenu;
class QPushButton;
class QStackedWidget;

namespace quillon::richtext {
class TWPRichText;
class TWPToolBar;
}  // namespace quillon::richtext

namespace quillon::compose {

class TFaxEditor : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kAccepted = 1;
  static constexpr int kCancelled = 2;
  enum Page { RecipientPage = 0, DocumentPage = 1, CoverPage = 2 };

  explicit TFaxEditor(ComposeContext& context, QWidget* parent = nullptr);
  ~TFaxEditor() override;

  // ---- the data
  QLineEdit *Recipient, *FaxNumber, *Subject;  // 35, 25 and 50 characters
  richtext::TWPRichText *WPDoc, *WPCover;

  // ---- the rest of the window
  QStackedWidget* NoteBook;
  QPushButton *RecipientButton, *DocumentButton, *CoverButton, *Helpbutton, *Zoombutton, *OKButton, *CancelButton,
      *AddressButton;
  richtext::TWPToolBar *DocToolBar, *CoverToolBar;
  QAction *ParagraphSetupButton, *DocPageBreakButton, *DocWordWrapButton, *DocDefFontbutton;
  QAction *CoverDocPageBreakButton, *CoverParagraphSetupbutton, *CoverDocWordWrapButton, *CoverDefFontbutton,
      *LoadCoverButton;
  QMenu* ZoomMenu;

  // ---- handlers
  void RecipientButtonClick();
  void DocumentButtonClick();
  void CoverButtonClick();
  void ZoombuttonClick();
  void setZoom(int percent);  // of the editor whose page was shown last
  void AddressButtonClick();
  void LoadCoverButtonClick();
  // GetTextToInsert of WPCover: the text for a cover field of `kind`, at most 100 characters.
  std::optional<QString> textToInsert(int kind) const;
  int currentPage() const;

  // The moment date and time fields show (tests fix it).
  std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

  void done(int result) override;
  void reject() override { done(kCancelled); }
  void accept() override { done(kAccepted); }

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QWidget* buildRecipientPage();
  QWidget* buildEditorPage(richtext::TWPRichText* editor, richtext::TWPToolBar* toolBar);
  void buildDocumentTools();
  void buildCoverTools();
  QWidget* buildButtonBar();
  void showEditorPage(Page page, richtext::TWPRichText* editor);

  ComposeContext& context_;
  QButtonGroup* pageButtons_ = nullptr;
  bool shown_ = false;
};

inline constexpr int kHelpFaxEditor = 1015;
inline constexpr int kRecipientLimit = 35;
inline constexpr int kFaxNumberLimit = 25;
inline constexpr int kSubjectLimit = 50;

}  // namespace quillon::compose
