// The Addresses page: its rows mirror WorkAddresses, index for index.
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <exception>

#include "config/MsgINISupp.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/settings.h"

namespace {

QString AddressExistsText() {
  return QString::fromStdString(Lookup("AddressExists", "This address is already listed"));
}

} // namespace

void TfrmSettings::FillAddrItem(QTreeWidgetItem& item, const TAddress& address) {
  item.setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item.setText(0, QString::fromStdString(address.HostPort()));
  item.setText(1, QString::fromStdString(address.Defs.Key));
  item.setText(2, QString::fromStdString(address.Description));
  item.setCheckState(0, address.Enabled ? Qt::Checked : Qt::Unchecked);
}

int TfrmSettings::ChosenRow() const {
  const QList<QTreeWidgetItem*> selected = lvAddr->selectedItems();
  QTreeWidgetItem* item = selected.isEmpty() ? lvAddr->currentItem() : selected.first();
  return item ? lvAddr->indexOfTopLevelItem(item) : -1;
}

void TfrmSettings::SelectRow(int row) {
  QTreeWidgetItem* item = lvAddr->topLevelItem(row);
  lvAddr->setCurrentItem(item);
  item->setSelected(true);
  lvAddr->scrollToItem(item);
}

void TfrmSettings::btAddClick() {
  if (!EditAddress)
    return;
  try {
    // Game 0 with no host and the game's default port, enabled.
    auto address = std::make_unique<TAddress>(games_, std::string(), 0, 0);
    if (!EditAddress(address, this))
      return;
    if (WorkAddresses.Exists(*address, nullptr)) {
      ShowError(this, AddressExistsText());
      return;
    }
    address->Enabled = true;
    const TAddress& added = *address;
    WorkAddresses.Add(std::move(address));
    btOk->setEnabled(true);
    FillAddrItem(*new QTreeWidgetItem(lvAddr), added);
    // F2 and Del go on with the row just added, as the user expects.
    SelectRow(lvAddr->topLevelItemCount() - 1);
  } catch (const std::exception& error) {
    ShowError(this, QString::fromStdString(error.what()));
  }
}

void TfrmSettings::btEditClick() {
  const int row = ChosenRow();
  if (row < 0 || !EditAddress)
    return;
  try {
    TAddress& listed = WorkAddresses.Items(row);
    auto copy = std::make_unique<TAddress>(listed);
    if (!EditAddress(copy, this))
      return;
    if (WorkAddresses.Exists(*copy, &listed)) {
      ShowError(this, AddressExistsText());
      return;
    }
    listed.Assign(*copy);
    FillAddrItem(*lvAddr->topLevelItem(row), listed);
  } catch (const std::exception& error) {
    ShowError(this, QString::fromStdString(error.what()));
  }
}

void TfrmSettings::btDelClick() {
  const int row = ChosenRow();
  if (row < 0)
    return;
  // A stray Del must not lose an address with its description and files.
  const QString question =
      QString::fromStdString(Lookup("DeleteAddress", "Remove the address %1 from the list?"));
  if (!AskYesNo(this, question.arg(lvAddr->topLevelItem(row)->text(0))))
    return;
  WorkAddresses.Delete(row);
  delete lvAddr->takeTopLevelItem(row);
  const int count = lvAddr->topLevelItemCount();
  if (count > 0)
    SelectRow(std::min(row, count - 1));
  btOk->setEnabled(WorkAddresses.Count() > 0);
}

void TfrmSettings::UpDown1Click(TUpDownButton button) {
  const QList<QTreeWidgetItem*> selected = lvAddr->selectedItems();
  if (lvAddr->topLevelItemCount() < 2 || selected.isEmpty())
    return;
  const int row = lvAddr->indexOfTopLevelItem(selected.first());
  const int target = button == TUpDownButton::Up ? row - 1 : row + 1;
  if (target < 0 || target >= lvAddr->topLevelItemCount())
    return;
  // The row keeps its texts and check box; only its place changes.
  QTreeWidgetItem* item = lvAddr->takeTopLevelItem(row);
  lvAddr->insertTopLevelItem(target, item);
  WorkAddresses.Exchange(row, target);
  SelectRow(target);
}

bool TfrmSettings::lvAddrKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  // Insert and Delete of the keypad count as well.
  if (PageControl1->currentWidget() != tsAddr ||
      (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
    return false;
  switch (key) {
  case Qt::Key_Insert:
    btAddClick();
    return true;
  case Qt::Key_Delete:
    btDelClick();
    return true;
  case Qt::Key_F2:
    btEditClick();
    return true;
  default:
    return false;
  }
}
