#pragma once
// The program's help: HTML topics built into the program, opened by their numeric context.
#include <QDialog>

class QTextBrowser;

namespace quillon::app {

// The resource path of a topic, e.g. ":/help/1009.html".
QString helpTopicPath(int context);
bool helpTopicExists(int context);

// Opens (or brings forward) the help window at `context`; an unknown context shows the
// contents page. Returns the window, which stays open beside the program's own windows.
class HelpWindow;
HelpWindow* showHelp(int context);

class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);
  void showTopic(int context);
  int currentContext() const { return context_; }
  QString currentTitle() const;

 private:
  QTextBrowser* browser_;
  int context_ = 0;
};

inline constexpr int kHelpContents = 1009;
inline constexpr int kHelpFaq = 911;
inline constexpr int kHelpTechnicalSupport = 1025;
inline constexpr int kHelpTroubleshooting = 411;

}  // namespace quillon::app
