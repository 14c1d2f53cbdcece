#include "app/about_box.h"

#include "app/app_identity.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/version.h"

namespace quillon::app {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("icon"));
  icon->setPixmap(applicationIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignCenter);
  auto* name = new QLabel(QStringLiteral("<b style='font-size:16pt'>%1</b>").arg(kApplicationTitle), this);
  name->setAlignment(Qt::AlignCenter);
  auto* version = new QLabel(QStringLiteral("Version %1").arg(kVersion), this);
  version->setObjectName(QStringLiteral("version"));
  version->setAlignment(Qt::AlignCenter);
  auto* purpose = new QLabel(QStringLiteral("Send and receive faxes with a fax modem."), this);
  purpose->setAlignment(Qt::AlignCenter);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(icon);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(purpose);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  setMinimumWidth(300);
}

}  // namespace quillon::app
