// The wizard's window: the title band with the page list, the eight pages with their
// numbered questions, and the button row.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "preferences/preferences_values.h"
#include "preferences/preferences_wizard.h"
#include "preferences/radio_group.h"

namespace quillon::preferences {

namespace {

QFrame* rule(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QLabel* wrapped(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

QPushButton* button(const QString& text, QWidget* parent, const QString& hint = {}) {
  auto* b = new QPushButton(text, parent);
  b->setAutoDefault(false);
  if (!hint.isEmpty()) b->setToolTip(hint);
  return b;
}

QLineEdit* numberEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
  return edit;
}

QComboBox* rateList(QWidget* parent) {
  auto* list = new QComboBox(parent);
  for (int rate : kRates) list->addItem(QString::number(rate));
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

QStringList classItems() {
  return {QStringLiteral("auto detect"), QStringLiteral("class 1"), QStringLiteral("class 2"),
          QStringLiteral("class 2.0")};
}

// A page of numbered questions: the number in its own column, the question and its controls
// beside it.
class QuestionPage {
 public:
  explicit QuestionPage(QWidget* page) : page_(page), grid_(new QGridLayout(page)) {
    grid_->setContentsMargins(18, 14, 18, 10);
    grid_->setHorizontalSpacing(10);
    grid_->setVerticalSpacing(6);
    grid_->setColumnStretch(1, 1);
  }

  // Adds question `number` and returns the layout its controls go into.
  QVBoxLayout* add(int number, const QString& question) {
    auto* label = new QLabel(QStringLiteral("%1.").arg(number), page_);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("22.")) + 4);
    auto* body = new QVBoxLayout;
    body->setSpacing(4);
    if (!question.isEmpty()) body->addWidget(wrapped(question, page_));
    if (row_ > 0) grid_->setRowMinimumHeight(row_++, 8);  // air between questions
    grid_->addWidget(label, row_, 0);
    grid_->addLayout(body, row_++, 1);
    return body;
  }

  void finish() { grid_->setRowStretch(row_, 1); }

 private:
  QWidget* page_;
  QGridLayout* grid_;
  int row_ = 0;
};

QHBoxLayout* rowOf(std::initializer_list<QWidget*> widgets, bool stretch = true) {
  auto* row = new QHBoxLayout;
  for (QWidget* w : widgets) row->addWidget(w);
  if (stretch) row->addStretch(1);
  return row;
}

QGridLayout* labelledEdits(QWidget* parent, std::initializer_list<std::pair<QString, QLineEdit*>> rows) {
  auto* grid = new QGridLayout;
  int r = 0;
  for (const auto& [text, edit] : rows) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(edit);
    grid->addWidget(label, r, 0);
    grid->addWidget(edit, r++, 1);
  }
  grid->setColumnStretch(1, 1);
  return grid;
}

}  // namespace

QString TPreferences::pageTitle(int index) {
  static const char* titles[PageCount] = {"Wizard Information",       "Modem and Communications Port",
                                          "Sending Faxes - Part 1",   "Sending Faxes - Part 2",
                                          "Sending Faxes - Part 3",   "Receiving Faxes - Part 1",
                                          "Receiving Faxes - Part 2", "Receiving Faxes - Part 3"};
  return index >= 0 && index < PageCount ? QString::fromLatin1(titles[index]) : QString();
}

void TPreferences::buildWindow() {
  setWindowTitle(QStringLiteral("Preferences Wizard"));
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 10);
  outer->setSpacing(0);

  // The title band: the page's title and the list to jump to any page.
  auto* band = new QWidget(this);
  band->setAutoFillBackground(true);
  QPalette bandPalette = band->palette();
  bandPalette.setColor(QPalette::Window, bandPalette.color(QPalette::Base));
  band->setPalette(bandPalette);
  auto* bandRow = new QHBoxLayout(band);
  bandRow->setContentsMargins(18, 12, 18, 12);
  TitleLabel = new QLabel(band);
  QFont titleFont = TitleLabel->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
  TitleLabel->setFont(titleFont);
  PageCombo = new QComboBox(band);
  for (int i = 0; i < PageCount; ++i) PageCombo->addItem(pageTitle(i));
  PageCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  PageCombo->setToolTip(QStringLiteral("Go straight to a page of the wizard"));
  auto* goTo = new QLabel(QStringLiteral("&Go to:"), band);
  goTo->setBuddy(PageCombo);
  bandRow->addWidget(TitleLabel, 1);
  bandRow->addWidget(goTo);
  bandRow->addWidget(PageCombo);
  outer->addWidget(band);
  outer->addWidget(rule(this));

  Notebook = new QStackedWidget(this);
  Notebook->addWidget(buildInformationPage());
  Notebook->addWidget(buildModemPage());
  Notebook->addWidget(buildSendingPage1());
  Notebook->addWidget(buildSendingPage2());
  Notebook->addWidget(buildSendingPage3());
  Notebook->addWidget(buildReceivingPage1());
  Notebook->addWidget(buildReceivingPage2());
  Notebook->addWidget(buildReceivingPage3());
  outer->addWidget(Notebook, 1);
  outer->addWidget(rule(this));

  HelpButton = button(QStringLiteral("&Help"), this, QStringLiteral("Help on the settings of this page"));
  BackButton = button(QStringLiteral("< Back"), this);
  Nextbutton = button(QStringLiteral("Next >"), this);
  Finishbutton = button(QStringLiteral("&Finish"), this, QStringLiteral("Save the settings and close the wizard"));
  Cancelbutton = button(QStringLiteral("Cance&l"), this, QStringLiteral("Close the wizard without changing anything"));
  Nextbutton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(18, 10, 18, 0);
  buttons->addWidget(HelpButton);
  buttons->addStretch(1);
  buttons->addWidget(BackButton);
  buttons->addWidget(Nextbutton);
  buttons->addSpacing(10);
  buttons->addWidget(Finishbutton);
  buttons->addWidget(Cancelbutton);
  outer->addLayout(buttons);
  connectButtons();
}

QWidget* TPreferences::buildInformationPage() {
  auto* page = new QWidget;
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(18, 14, 18, 10);
  column->setSpacing(10);
  column->addWidget(wrapped(
      QStringLiteral("This wizard takes you through the settings Quillon needs to send and receive faxes: "
                     "the port of your fax modem and how it dials, how faxes are sent, and how incoming "
                     "calls are answered."),
      page));
  column->addWidget(wrapped(
      QStringLiteral("Move from page to page with Next > and < Back, or pick a page from the list above. "
                     "Help explains the settings of the page you are on. Finish saves your settings; "
                     "Cancel closes the wizard and leaves them as they were."),
      page));
  FirstRunNotice = wrapped(
      QStringLiteral("While the default settings will work for most people, be sure to verify that the "
                     "COMMUNICATIONS PORT and FAX CLASS settings are correct before continuing to use the "
                     "program."),
      page);
  QFont bold = FirstRunNotice->font();
  bold.setBold(true);
  FirstRunNotice->setFont(bold);
  column->addWidget(FirstRunNotice);
  StoredValuesNotice = wrapped(QString(), page);
  StoredValuesNotice->setFrameShape(QFrame::StyledPanel);
  StoredValuesNotice->setMargin(8);
  StoredValuesNotice->setTextFormat(Qt::RichText);
  column->addWidget(StoredValuesNotice);
  column->addStretch(1);
  return page;
}

QWidget* TPreferences::buildModemPage() {
  auto* page = new QWidget;
  QuestionPage q(page);
  QStringList ports;
  for (int n : offeredPorts_) ports << QStringLiteral("Com%1").arg(n);
  ComPort = new TRadioGroup(QString(), ports, static_cast<int>(ports.size()), page);
  FindModemButton = button(QStringLiteral("Find Modem Port"), page,
                           QStringLiteral("Look for a modem on every port and suggest the port it is on"));
  auto* body = q.add(1, QStringLiteral("Which communications port is your fax modem connected to?"));
  body->addWidget(ComPort);
  body->addLayout(rowOf({FindModemButton}));

  ToneOrPulse = new TRadioGroup(QString(), {QStringLiteral("Tone"), QStringLiteral("Pulse")}, 2, page);
  q.add(2, QStringLiteral("Does your telephone line use tone or pulse dialling?"))->addWidget(ToneOrPulse);

  ResetString = new QLineEdit(page);
  ResetAfterString = new QLineEdit(page);
  body = q.add(3, QStringLiteral("Some modems need a reset command around fax sessions; leave these empty "
                                 "unless yours does."));
  body->addWidget(new QLabel(QStringLiteral("Use this reset string BEFORE  fax sessions:"), page));
  body->addWidget(ResetString);
  body->addWidget(new QLabel(QStringLiteral("Use this reset string AFTER fax sessions"), page));
  body->addWidget(ResetAfterString);
  q.finish();
  return page;
}

QWidget* TPreferences::buildSendingPage1() {
  auto* page = new QWidget;
  QuestionPage q(page);
  FaxClass = new TRadioGroup(QString(), classItems(), 4, page);
  CheckFaxClassButton = button(QStringLiteral("Check Fax Class"), page,
                               QStringLiteral("Ask the modem on the chosen port which fax classes it supports"));
  auto* body = q.add(4, QStringLiteral("Which fax class should be used for sending?"));
  body->addWidget(FaxClass);
  body->addLayout(rowOf({CheckFaxClassButton}));

  TransferRate = rateList(page);
  q.add(5, QStringLiteral("The highest transfer rate for sending, in bits per second:"))->addLayout(rowOf({TransferRate}));

  ModemInit = new QLineEdit(page);
  GenericInitbutton = button(QStringLiteral("Generic init string"), page);
  GenericUSRInitButton = button(QStringLiteral("US Robotics init string"), page);
  HelpWithInitbutton = button(QStringLiteral("Troubleshooting"), page);
  body = q.add(6, QStringLiteral("An extra init string the modem gets before sending (most modems need none):"));
  body->addWidget(ModemInit);
  body->addLayout(rowOf({GenericInitbutton, GenericUSRInitButton, HelpWithInitbutton}));
  q.finish();
  return page;
}

QWidget* TPreferences::buildSendingPage2() {
  auto* page = new QWidget;
  QuestionPage q(page);
  FaxNumber = new QLineEdit(page);
  FaxNumber->setMaxLength(20);
  Name = new QLineEdit(page);
  Name->setMaxLength(35);
  q.add(7, QStringLiteral("Your fax number and name, printed in the header line at the top of every page "
                          "you send:"))
      ->addLayout(labelledEdits(page, {{QStringLiteral("Fax &number:"), FaxNumber}, {QStringLiteral("N&ame:"), Name}}));

  UseECM = new QCheckBox(QStringLiteral("Use &error correction (ECM) when sending"), page);
  q.add(8, QStringLiteral("Error correction resends damaged parts of a page; both fax machines must support it."))
      ->addWidget(UseECM);

  DialPrefix = new QLineEdit(page);
  DialSuffix = new QLineEdit(page);
  q.add(9, QStringLiteral("Digits dialled before and after every fax number, for example 9 to reach an outside "
                          "line:"))
      ->addLayout(labelledEdits(page, {{QStringLiteral("Dial &prefix:"), DialPrefix},
                                       {QStringLiteral("Dial &suffix:"), DialSuffix}}));
  q.finish();
  return page;
}

QWidget* TPreferences::buildSendingPage3() {
  auto* page = new QWidget;
  QuestionPage q(page);
  TimeOut = numberEdit(page);
  q.add(10, QStringLiteral("How many seconds should the modem wait for the remote fax machine to answer?"))
      ->addLayout(rowOf({TimeOut, new QLabel(QStringLiteral("seconds"), page)}));
  DialAttempts = numberEdit(page);
  q.add(11, QStringLiteral("How many times should a fax number be dialled before giving up?"))
      ->addLayout(rowOf({DialAttempts, new QLabel(QStringLiteral("attempts"), page)}));
  RetryWait = numberEdit(page);
  q.add(12, QStringLiteral("How long should the program wait between two dial attempts?"))
      ->addLayout(rowOf({RetryWait, new QLabel(QStringLiteral("seconds"), page)}));
  CheckBlindDial = new QCheckBox(QStringLiteral("&Blind dial: dial without waiting for a dial tone"), page);
  q.add(13, QString())->addWidget(CheckBlindDial);
  CheckIgnoreBusy = new QCheckBox(QStringLiteral("&Ignore busy signals"), page);
  q.add(14, QString())->addWidget(CheckIgnoreBusy);
  q.finish();
  return page;
}

QWidget* TPreferences::buildReceivingPage1() {
  auto* page = new QWidget;
  QuestionPage q(page);
  FaxClassReceive = new TRadioGroup(QString(), classItems(), 4, page);
  CheckRecFaxClassbutton = button(QStringLiteral("Check Fax Class"), page,
                                  QStringLiteral("Ask the modem on the chosen port which fax classes it supports"));
  RecClassSameAsSendButton = button(QStringLiteral("Same as SEND"), page, QStringLiteral("Use the class chosen for sending"));
  auto* body = q.add(15, QStringLiteral("Which fax class should be used for receiving?"));
  body->addWidget(FaxClassReceive);
  body->addLayout(rowOf({CheckRecFaxClassbutton, RecClassSameAsSendButton}));

  TransferRateReceive = rateList(page);
  RecBPSSameAsSendButton = button(QStringLiteral("Same as SEND"), page, QStringLiteral("Use the rate chosen for sending"));
  q.add(16, QStringLiteral("The highest transfer rate for receiving, in bits per second:"))
      ->addLayout(rowOf({TransferRateReceive, RecBPSSameAsSendButton}));

  ModemInitReceive = new QLineEdit(page);
  GenericInitRecButton = button(QStringLiteral("Generic init string"), page);
  GenericUSRInitRECbutton = button(QStringLiteral("US Robotics init string"), page);
  HelpWithInitRECButton = button(QStringLiteral("Troubleshooting"), page);
  RecInitSameAsSendButton = button(QStringLiteral("Same as SEND"), page, QStringLiteral("Use the init string for sending"));
  body = q.add(17, QStringLiteral("An extra init string the modem gets before receiving (most modems need none):"));
  body->addWidget(ModemInitReceive);
  body->addLayout(rowOf({GenericInitRecButton, GenericUSRInitRECbutton, HelpWithInitRECButton, RecInitSameAsSendButton}));
  q.finish();
  return page;
}

QWidget* TPreferences::buildReceivingPage2() {
  auto* page = new QWidget;
  QuestionPage q(page);
  QStringList rings;
  for (int i = 1; i <= kRings; ++i) rings << QString::number(i);
  AnswerOnRing = new TRadioGroup(QString(), rings, kRings, page);
  q.add(18, QStringLiteral("On which ring should the modem answer an incoming call?"))->addWidget(AnswerOnRing);
  ReceiveAtStartup = new QCheckBox(QStringLiteral("&Start receiving faxes when the program starts"), page);
  q.add(19, QString())->addWidget(ReceiveAtStartup);
  UseECMReceive = new QCheckBox(QStringLiteral("Use &error correction (ECM) when receiving"), page);
  q.add(20, QString())->addWidget(UseECMReceive);
  q.finish();
  return page;
}

QWidget* TPreferences::buildReceivingPage3() {
  auto* page = new QWidget;
  QuestionPage q(page);
  WaveFileEdit = new QLineEdit(page);
  WaveFileEdit->setPlaceholderText(QStringLiteral("(no sound)"));
  SelectWavButton = button(QStringLiteral("&Choose"), page, QStringLiteral("Choose a WAVE file"));
  PlayWAVbutton = button(QStringLiteral("Play &Now"), page, QStringLiteral("Listen to the sound"));
  NoWAVButton = button(QStringLiteral("None"), page, QStringLiteral("Play no sound"));
  auto* body = q.add(21, QStringLiteral("The sound played when a fax arrives (a WAVE file):"));
  body->addWidget(WaveFileEdit);
  body->addLayout(rowOf({SelectWavButton, PlayWAVbutton, NoWAVButton}));

  PrintFaxOnReceipt = new QCheckBox(QStringLiteral("&Print each fax as it is received"), page);
  PrintFaxOnReceiptPrinter = new QComboBox(page);
  PrintFaxOnReceiptPrinter->setMinimumContentsLength(28);
  auto* printerLabel = new QLabel(QStringLiteral("P&rinter:"), page);
  printerLabel->setBuddy(PrintFaxOnReceiptPrinter);
  body = q.add(22, QString());
  body->addWidget(PrintFaxOnReceipt);
  body->addLayout(rowOf({printerLabel, PrintFaxOnReceiptPrinter}));
  q.finish();
  return page;
}

}  // namespace quillon::preferences
