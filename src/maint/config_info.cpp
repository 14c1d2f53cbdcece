#include "maint/config_info.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

#include <filesystem>

#include "app/dialogs.h"
#include "ports/port_mapping.h"
#include "qtplatform/busy_guards.h"
#include "settings/settings_store.h"

namespace quillon::maint {

namespace {

const QString kCaption = QStringLiteral("Configuration Information");

// "English (United States)" for a locale.
std::string languageName(const QLocale& l) {
  return (QLocale::languageToString(l.language()) + QStringLiteral(" (") +
          QLocale::territoryToString(l.territory()) + QLatin1Char(')'))
      .toStdString();
}

// The two-letter country of a locale ("US"); the C locale has none.
std::string countryCode(const QLocale& l) {
  QString name = l.name();
  int underscore = name.indexOf(QLatin1Char('_'));
  return underscore < 0 ? std::string() : name.mid(underscore + 1).toStdString();
}

// "de_DE.UTF-8@euro" -> QLocale("de_DE").
QLocale localeOfName(const std::string& lang) {
  QString name = QString::fromStdString(lang);
  name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
  if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX")) return QLocale::c();
  return QLocale(name);
}

}  // namespace

TConfigurationInfo::TConfigurationInfo(const QStringList& lines, QWidget* parent)
    : QDialog(parent), lines_(lines) {
  setObjectName(QStringLiteral("ConfigurationInfo"));
  setWindowTitle(kCaption);
  Note = new QLabel(this);
  Note->setObjectName(QStringLiteral("Note"));
  Note->setWordWrap(true);
  Note->setText(QStringLiteral(
      "If you are sending a message to VNT Technical Support, the following information can be very "
      "helpful.\n\nPress the Copy to Clipboard button below to copy this information to the Windows "
      "clipboard.  You may then use the Paste command  (or CTRL+V) to paste the information into your "
      "email program or word processor.\n\n"));

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Labels are padded with blanks and end in a tab: a fixed-pitch font with tab stops every
  // eight characters lines the values up.
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  Memo1->setFont(fixed);
  Memo1->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')) * 8);
  Memo1->setPlainText(lines_.join(QLatin1Char('\n')));
  Memo1->setMinimumSize(QFontMetrics(fixed).horizontalAdvance(QLatin1Char('M')) * 84, 380);

  CopyButton = new QPushButton(QStringLiteral("Copy to Clipboard"), this);
  CopyButton->setObjectName(QStringLiteral("CopyButton"));
  CopyButton->setAutoDefault(false);
  OkButton = new QPushButton(QStringLiteral("OK"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setDefault(true);
  connect(CopyButton, &QPushButton::clicked, this, &TConfigurationInfo::CopyButtonClick);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(CopyButton);
  buttons->addWidget(OkButton);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Note);
  layout->addWidget(Memo1, 1);
  layout->addLayout(buttons);
}

void TConfigurationInfo::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QTextCursor start = Memo1->textCursor();
  start.movePosition(QTextCursor::Start);
  Memo1->setTextCursor(start);
  Memo1->verticalScrollBar()->setValue(0);
  Memo1->horizontalScrollBar()->setValue(0);
}

void TConfigurationInfo::CopyButtonClick() {
  QGuiApplication::clipboard()->setText(lines_.join(QLatin1Char('\n')) + QLatin1Char('\n'));
  QMessageBox box(QMessageBox::Information, kCaption, QStringLiteral("Information copied to Windows clipboard"),
                  QMessageBox::Ok, this);
  app::centreWindow(&box);
  box.exec();
}

sysinfo::ReportInputs gatherReportInputs(const settings::Settings& values, const std::string& iniPath,
                                         const std::string& dataFolder, const std::string& root) {
  sysinfo::ReportInputs in;
  const QLocale user = QLocale::system();
  in.today = user.toString(QDate::currentDate(), QLocale::LongFormat).toStdString();
  in.system = sysinfo::gatherSystemFacts(root);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    in.haveDisplay = true;
    const QSize pixels = screen->size() * screen->devicePixelRatio();
    in.display = {pixels.width(), pixels.height(), screen->depth(), int(screen->logicalDotsPerInch() + 0.5)};
  }
  in.haveLocale = true;
  const QLocale system = in.system.systemLocale.empty() ? user : localeOfName(in.system.systemLocale);
  sysinfo::LocaleFacts& l = in.locale;
  l.userLanguage = languageName(user);
  l.systemLanguage = languageName(system);
  l.userCountry = countryCode(user);
  l.systemCountry = countryCode(system);
  l.shortDate = user.dateFormat(QLocale::ShortFormat).toStdString();
  l.longDate = user.dateFormat(QLocale::LongFormat).toStdString();
  l.shortTime = user.timeFormat(QLocale::ShortFormat).toStdString();
  l.longTime = user.timeFormat(QLocale::LongFormat).toStdString();
  const QString group = user.groupSeparator();
  l.groupSeparator = group.isEmpty() ? 0 : group.toUcs4().value(0);

  const settings::IniDocument ini = settings::SettingsStore(dataFolder).read();
  for (int n : ports::mappedPorts(ini)) in.portMapping.emplace_back("COM" + std::to_string(n), ports::deviceFor(ini, n));
  if (values.comPort >= 0) in.configuredDevice = ports::deviceFor(ini, values.comPort + 1);
  in.iniPath = iniPath;
  in.dataFolder = dataFolder;
  in.settings = values;
  return in;
}

QStringList reportLines(const sysinfo::ReportInputs& inputs) {
  QStringList lines;
  for (const std::string& line : sysinfo::buildConfigurationReport(inputs)) lines << QString::fromStdString(line);
  return lines;
}

void showConfigurationInformation(const settings::Settings& values, const std::string& iniPath,
                                  const std::string& dataFolder, QWidget* parent) {
  QStringList lines;
  {
    qtplatform::BusyCursor busy;
    lines = reportLines(gatherReportInputs(values, iniPath, dataFolder));
  }
  TConfigurationInfo window(lines, parent);
  window.adjustSize();
  app::centreWindow(&window);
  window.exec();
}

}  // namespace quillon::maint
