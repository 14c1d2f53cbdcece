#include "maint/date_selector.h"

#include <QCalendarWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::maint {

TDateSelector::TDateSelector(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DateSelector"));
  Panel1 = new QLabel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setAlignment(Qt::AlignCenter);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setMinimumHeight(Panel1->fontMetrics().height() + 12);
  QFont bold = Panel1->font();
  bold.setBold(true);
  Panel1->setFont(bold);

  Calendar1 = new QCalendarWidget(this);
  Calendar1->setObjectName(QStringLiteral("Calendar1"));
  Calendar1->setFirstDayOfWeek(Qt::Sunday);
  Calendar1->setGridVisible(true);
  Calendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

  auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  YearMinus = button("YearMinus", QStringLiteral("Year-"));
  MonthMinus = button("MonthMinus", QStringLiteral("Month-"));
  TodayButton = button("TodayButton", QStringLiteral("Today"));
  MonthPlus = button("MonthPlus", QStringLiteral("Month +"));
  YearPlus = button("YearPlus", QStringLiteral("Year+"));
  OkButton = button("OkButton", QStringLiteral("Ok"));
  OkButton->setDefault(true);
  CancelButton = button("CancelButton", QStringLiteral("Cancel"));

  auto step = [this](int years, int months) { setDate(date().addYears(years).addMonths(months)); };
  connect(YearMinus, &QPushButton::clicked, this, [step] { step(-1, 0); });
  connect(MonthMinus, &QPushButton::clicked, this, [step] { step(0, -1); });
  connect(TodayButton, &QPushButton::clicked, this, [this] { setDate(QDate::currentDate()); });
  connect(MonthPlus, &QPushButton::clicked, this, [step] { step(0, 1); });
  connect(YearPlus, &QPushButton::clicked, this, [step] { step(1, 0); });
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(Calendar1, &QCalendarWidget::selectionChanged, this, &TDateSelector::showSelected);
  // activated: a double click on a day (or Enter in the calendar).
  connect(Calendar1, &QCalendarWidget::activated, this, &QDialog::accept);

  auto* steps = new QHBoxLayout;
  for (QPushButton* b : {YearMinus, MonthMinus, TodayButton, MonthPlus, YearPlus}) steps->addWidget(b);
  auto* answers = new QHBoxLayout;
  answers->addStretch(1);
  answers->addWidget(OkButton);
  answers->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Panel1);
  layout->addWidget(Calendar1, 1);
  layout->addLayout(steps);
  layout->addSpacing(6);
  layout->addLayout(answers);

  setDate(QDate::currentDate());
}

QDate TDateSelector::date() const { return Calendar1->selectedDate(); }

void TDateSelector::setDate(const QDate& date) {
  if (!date.isValid()) return;
  Calendar1->setSelectedDate(date);
  Calendar1->setCurrentPage(date.year(), date.month());
  showSelected();
}

void TDateSelector::showSelected() {
  Panel1->setText(QLocale().toString(date(), QStringLiteral("dddd, MMMM d, yyyy")));
}

}  // namespace quillon::maint
