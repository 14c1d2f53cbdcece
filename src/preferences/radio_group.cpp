#include "preferences/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace quillon::preferences {

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(18);
  for (int i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i], this);
    group_->addButton(radio, i);
    grid->addWidget(radio, i / columns, i % columns);
  }
  grid->setColumnStretch(columns, 1);
  connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    if (checked) emit itemIndexChanged(id);
  });
}

int TRadioGroup::itemIndex() const { return group_->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
  if (QAbstractButton* b = group_->button(index)) {
    b->setChecked(true);
    return;
  }
  // Unchecking needs the group's exclusivity off for a moment.
  group_->setExclusive(false);
  for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
  group_->setExclusive(true);
}

int TRadioGroup::count() const { return static_cast<int>(group_->buttons().size()); }

QAbstractButton* TRadioGroup::button(int index) const { return group_->button(index); }

}  // namespace quillon::preferences
