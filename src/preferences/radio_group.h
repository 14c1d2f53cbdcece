#pragma once
// A titled group of radio buttons read and set by item index, as the wizard's questions use
// them (-1: none checked).
#include <QGroupBox>
#include <QStringList>

class QAbstractButton;
class QButtonGroup;

namespace quillon::preferences {

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  // `columns` buttons per row.
  TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

  int itemIndex() const;
  void setItemIndex(int index);  // an index outside the items checks none
  int count() const;
  QAbstractButton* button(int index) const;

 signals:
  void itemIndexChanged(int index);

 private:
  QButtonGroup* group_;
};

}  // namespace quillon::preferences
