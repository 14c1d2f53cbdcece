// The send dialog's controls and their layout.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "send/send_fax_form.h"
#include "send/send_rules.h"

namespace quillon::send {

namespace {
QLineEdit* edit(QWidget* parent, const char* name, int maxLength = 0) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  if (maxLength > 0) e->setMaxLength(maxLength);
  return e;
}

QLabel* buddyLabel(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text, buddy->parentWidget());
  label->setBuddy(buddy);
  return label;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& text) {
  auto* c = new QCheckBox(text, parent);
  c->setObjectName(QString::fromLatin1(name));
  return c;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  b->setMinimumWidth(120);
  return b;
}

// A radio group whose buttons get the ids 0, 1, ... in order.
QGroupBox* radioGroup(QWidget* parent, const QString& title, const QStringList& items, QButtonGroup*& group,
                      const char* name) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(QString::fromLatin1(name));
  auto* layout = new QVBoxLayout(box);
  group = new QButtonGroup(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i], box);
    group->addButton(radio, i);
    layout->addWidget(radio);
  }
  return box;
}
}  // namespace

QGroupBox* TSendFaxForm::buildPortBox() {
  ComPortBox = new QGroupBox(QStringLiteral("Port"), this);
  ComPortBox->setObjectName(QStringLiteral("ComPort"));
  portGrid_ = new QGridLayout(ComPortBox);
  ComPort = new QButtonGroup(ComPortBox);
  return ComPortBox;
}

void TSendFaxForm::buildControls() {
  auto* outer = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  outer->addLayout(columns, 1);

  // Left: port, class, rate, tone or pulse.
  auto* left = new QVBoxLayout;
  left->addWidget(buildPortBox());
  left->addWidget(radioGroup(this, QStringLiteral("Fax &class"),
                             {QStringLiteral("auto detect"), QStringLiteral("class 1"), QStringLiteral("class 2"),
                              QStringLiteral("class 2.0")},
                             sfFaxClass, "sfFaxClass"));
  auto* rateBox = new QGroupBox(QStringLiteral("Transfer rate (bps)"), this);
  auto* rateLayout = new QVBoxLayout(rateBox);
  TransferRate = new QComboBox(rateBox);
  TransferRate->setObjectName(QStringLiteral("TransferRate"));
  for (int rate : kTransferRates) TransferRate->addItem(QString::number(rate));
  rateLayout->addWidget(TransferRate);
  left->addWidget(rateBox);
  left->addWidget(radioGroup(this, QStringLiteral("Tone or Pulse"), {QStringLiteral("Tone"), QStringLiteral("Pulse")},
                             sfToneOrPulse, "sfToneOrPulse"));
  left->addStretch();
  columns->addLayout(left);

  // Middle: the number, who sends, prefix and suffix, init string, dialing.
  auto* middle = new QVBoxLayout;
  auto* numberBox = new QGroupBox(QStringLiteral("Recipient"), this);
  auto* numberForm = new QFormLayout(numberBox);
  sfPhoneNumber = edit(numberBox, "sfPhoneNumber", 25);
  sfPhoneNumber->setMinimumWidth(220);
  numberForm->addRow(buddyLabel(QStringLiteral("&Fax Number to dial:"), sfPhoneNumber), sfPhoneNumber);
  middle->addWidget(numberBox);

  auto* userBox = new QGroupBox(QStringLiteral("Sender"), this);
  auto* userForm = new QFormLayout(userBox);
  sfStationID = edit(userBox, "sfStationID", 20);
  userForm->addRow(buddyLabel(QStringLiteral("Your fax number (required)"), sfStationID), sfStationID);
  sfusername = edit(userBox, "sfusername", 20);
  userForm->addRow(buddyLabel(QStringLiteral("Your Name (optional)"), sfusername), sfusername);
  middle->addWidget(userBox);

  auto* modemBox = new QGroupBox(QStringLiteral("Modem and dialing"), this);
  auto* modemGrid = new QGridLayout(modemBox);
  sfDialPrefix = edit(modemBox, "sfDialPrefix");
  DisablePrefix = check(modemBox, "DisablePrefix", QStringLiteral("Disable Prefix"));
  modemGrid->addWidget(buddyLabel(QStringLiteral("&Dial prefix (dial before the fax#):"), sfDialPrefix), 0, 0, 1, 2);
  modemGrid->addWidget(sfDialPrefix, 1, 0);
  modemGrid->addWidget(DisablePrefix, 1, 1);
  sfDialsuffix = edit(modemBox, "sfDialsuffix");
  DisableSuffix = check(modemBox, "DisableSuffix", QStringLiteral("Disable Suffix"));
  modemGrid->addWidget(buddyLabel(QStringLiteral("&Dial suffix (dial after the fax#):"), sfDialsuffix), 2, 0, 1, 2);
  modemGrid->addWidget(sfDialsuffix, 3, 0);
  modemGrid->addWidget(DisableSuffix, 3, 1);
  sfModemInit = edit(modemBox, "sfModemInit");
  modemGrid->addWidget(buddyLabel(QStringLiteral("&Modem initialization string:"), sfModemInit), 4, 0, 1, 2);
  modemGrid->addWidget(sfModemInit, 5, 0, 1, 2);
  middle->addWidget(modemBox);
  middle->addStretch();
  columns->addLayout(middle, 1);

  // Right of it: attempts, waits and the dialing options.
  auto* dialBox = new QGroupBox(QStringLiteral("Dialing"), this);
  auto* dialGrid = new QGridLayout(dialBox);
  auto numberField = [&](const char* name) {
    QLineEdit* e = edit(dialBox, name, 5);
    e->setMaximumWidth(60);
    e->setAlignment(Qt::AlignRight);
    return e;
  };
  sfDialAttempts = numberField("sfDialAttempts");
  dialGrid->addWidget(buddyLabel(QStringLiteral("Dial Attempts"), sfDialAttempts), 0, 0);
  dialGrid->addWidget(sfDialAttempts, 0, 1);
  sfRetryWait = numberField("sfRetryWait");
  dialGrid->addWidget(buddyLabel(QStringLiteral("Retry after"), sfRetryWait), 1, 0);
  dialGrid->addWidget(sfRetryWait, 1, 1);
  dialGrid->addWidget(new QLabel(QStringLiteral("seconds"), dialBox), 1, 2);
  sfTimeOut = numberField("sfTimeOut");
  dialGrid->addWidget(buddyLabel(QStringLiteral("Timeout after"), sfTimeOut), 2, 0);
  dialGrid->addWidget(sfTimeOut, 2, 1);
  dialGrid->addWidget(new QLabel(QStringLiteral("seconds"), dialBox), 2, 2);
  CheckBlindDial = check(dialBox, "CheckBlindDial", QStringLiteral("Blind Dial (ignore dialtone)"));
  CheckIgnoreBusy = check(dialBox, "CheckIgnoreBusy", QStringLiteral("Ignore Busy Signal"));
  UseECM = check(dialBox, "UseECM", QStringLiteral("Use Fax Error Control "));
  dialGrid->setRowMinimumHeight(3, 8);
  dialGrid->addWidget(CheckBlindDial, 4, 0, 1, 3);
  dialGrid->addWidget(CheckIgnoreBusy, 5, 0, 1, 3);
  dialGrid->addWidget(UseECM, 6, 0, 1, 3);
  dialGrid->setRowStretch(7, 1);
  auto* third = new QVBoxLayout;
  third->addWidget(dialBox);
  third->addStretch();
  columns->addLayout(third);

  // The buttons.
  auto* buttons = new QVBoxLayout;
  SendFaxButton = button(this, "SendFaxButton", QStringLiteral("&Send Fax Now"));
  SendFaxButton->setDefault(true);
  SendFaxButton->setAutoDefault(true);
  QFont bold = SendFaxButton->font();
  bold.setBold(true);
  SendFaxButton->setFont(bold);
  CloseButton = button(this, "CloseButton", QStringLiteral("C&lose"));
  BitBtn1 = button(this, "BitBtn1", QStringLiteral("Preferences"));
  CheckFaxClassButton = button(this, "CheckFaxClassButton", QStringLiteral("Check Fax Class"));
  FindModemButton = button(this, "FindModemButton", QStringLiteral("Find Modem"));
  Helpbutton = button(this, "Helpbutton", QStringLiteral("&Help"));
  ExplorerButton1 = button(this, "ExplorerButton1", QStringLiteral("Troubleshooting"));
  buttons->addWidget(SendFaxButton);
  buttons->addWidget(CloseButton);
  buttons->addSpacing(12);
  buttons->addWidget(BitBtn1);
  buttons->addWidget(CheckFaxClassButton);
  buttons->addWidget(FindModemButton);
  buttons->addSpacing(12);
  buttons->addWidget(Helpbutton);
  buttons->addWidget(ExplorerButton1);
  buttons->addStretch();
  columns->addLayout(buttons);

  StatusLine = new QLabel(this);
  StatusLine->setObjectName(QStringLiteral("StatusLine"));
  StatusLine->setFrameShape(QFrame::StyledPanel);
  StatusLine->setFrameShadow(QFrame::Sunken);
  StatusLine->setMinimumHeight(StatusLine->fontMetrics().height() + 8);
  outer->addWidget(StatusLine);

  connect(SendFaxButton, &QPushButton::clicked, this, [this] { SendFaxButtonClick(); });
  connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(); });
  connect(Helpbutton, &QPushButton::clicked, this, [this] { HelpbuttonClick(); });
  connect(ExplorerButton1, &QPushButton::clicked, this, [this] { ExplorerButton1Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(FindModemButton, &QPushButton::clicked, this, [this] { FindModemButtonClick(); });
  connect(CheckFaxClassButton, &QPushButton::clicked, this, [this] { CheckFaxClassButtonClick(); });
}

}  // namespace quillon::send
