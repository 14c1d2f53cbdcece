// CreateFaxFile: the current sent fax rendered into a fax file through the main window's two
// hidden editors, with the hourglass, the status line and the button bar disabled meanwhile.
#include <QLabel>

#include "app/dialogs.h"
#include "app/main_screen.h"
#include "compose/fax_rendering.h"
#include "platform/message_pump.h"
#include "qtplatform/busy_guards.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_store.h"

namespace quillon::app {

namespace {
// The button bar is disabled while the file is made and enabled again on every way out.
struct ButtonBarDisabled {
  explicit ButtonBarDisabled(QWidget* bar) : bar(bar) { bar->setEnabled(false); }
  ~ButtonBarDisabled() { bar->setEnabled(true); }
  QWidget* bar;
};
}  // namespace

std::string TMainScreen::CreateFaxFile() {
  if (!WPCover) {
    WPCover = new richtext::TWPRichText(this);
    WPCover->setObjectName(QStringLiteral("RenderCover"));
    WPCover->hide();
    WPDoc = new richtext::TWPRichText(this);
    WPDoc->setObjectName(QStringLiteral("RenderDoc"));
    WPDoc->hide();
  }
  std::string file;
  {
    qtplatform::BusyCursor busy;
    ButtonBarDisabled disabled(ButtonBar);
    qtplatform::StatusText statusText(status, QStringLiteral("Creating fax file"));
    platform::pumpMessages();
    store::Table& faxes = store_.faxTable();
    richtext::LoadRichText(*WPCover, store_, faxes, store::sentfield::RTFCOVER);
    richtext::LoadRichText(*WPDoc, store_, faxes, store::sentfield::RTFDOC);
    compose::RenderHooks hooks;
    hooks.status = [&statusText](const QString& text) { statusText.set(text); };
    hooks.letMessagesRun = [] { platform::pumpMessages(); };
    file = compose::renderFaxFile(*WPCover, *WPDoc, dataFolder_, pageCount, hooks);
  }
  if (file.empty()) InfoBox(QStringLiteral("Fax has no contents or cover sheet"));
  return file;
}

}  // namespace quillon::app
