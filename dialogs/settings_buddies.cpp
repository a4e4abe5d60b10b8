// The Buddies page: the name patterns of the players to watch for. The list
// on the page is the working copy; OK stores it.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/BuddyList.h"
#include "dialogs/settings.h"

void TfrmSettings::BuildBuddiesPage(QWidget* page) {
  auto* column = new QVBoxLayout(page);
  auto* laBuddyHint = new QLabel(
      QStringLiteral("Players to watch for: * stands for any text, ? for one character"), page);
  laBuddyHint->setObjectName(QStringLiteral("laBuddyHint"));
  laBuddyHint->setWordWrap(true);
  column->addWidget(laBuddyHint);

  lbBuddies = new QListWidget(page);
  lbBuddies->setObjectName(QStringLiteral("lbBuddies"));
  lbBuddies->setSelectionMode(QAbstractItemView::SingleSelection);
  lbBuddies->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
  column->addWidget(lbBuddies, 1);

  auto* laBuddy = new QLabel(QStringLiteral("&Name:"), page);
  laBuddy->setObjectName(QStringLiteral("laBuddy"));
  edBuddy = new QLineEdit(page);
  edBuddy->setObjectName(QStringLiteral("edBuddy"));
  laBuddy->setBuddy(edBuddy);
  btBuddyAdd = new QPushButton(QStringLiteral("&Add"), page);
  btBuddyAdd->setObjectName(QStringLiteral("btBuddyAdd"));
  btBuddyDel = new QPushButton(QStringLiteral("Re&move"), page);
  btBuddyDel->setObjectName(QStringLiteral("btBuddyDel"));
  auto* row = new QHBoxLayout;
  row->addWidget(laBuddy);
  row->addWidget(edBuddy, 1);
  row->addWidget(btBuddyAdd);
  row->addWidget(btBuddyDel);
  column->addLayout(row);

  connect(btBuddyAdd, &QPushButton::clicked, this, &TfrmSettings::btBuddyAddClick);
  connect(btBuddyDel, &QPushButton::clicked, this, &TfrmSettings::btBuddyDelClick);
  connect(lbBuddies, &QListWidget::currentRowChanged, this,
          [this](int current) { btBuddyDel->setEnabled(current >= 0); });
}

void TfrmSettings::ShowBuddies() {
  lbBuddies->clear();
  for (const std::string& pattern : Buddies.Patterns())
    AddBuddyItem(QString::fromStdString(pattern));
  edBuddy->clear();
  btBuddyDel->setEnabled(false);
}

void TfrmSettings::AddBuddyItem(const QString& pattern) {
  auto* item = new QListWidgetItem(pattern, lbBuddies);
  item->setFlags(item->flags() | Qt::ItemIsEditable);
}

TBuddyList TfrmSettings::ListedBuddies() const {
  TBuddyList list;
  for (int i = 0; i < lbBuddies->count(); ++i)
    list.Add(lbBuddies->item(i)->text().toStdString());
  return list;
}

void TfrmSettings::btBuddyAddClick() {
  TBuddyList list = ListedBuddies();
  const std::size_t before = list.Patterns().size();
  // A pattern already listed (or an empty one) adds nothing.
  if (list.Add(edBuddy->text().toStdString()) && list.Patterns().size() > before) {
    AddBuddyItem(QString::fromStdString(list.Patterns().back()));
    lbBuddies->setCurrentRow(lbBuddies->count() - 1);
  }
  edBuddy->clear();
  edBuddy->setFocus();
}

void TfrmSettings::btBuddyDelClick() {
  delete lbBuddies->takeItem(lbBuddies->currentRow());
}

bool TfrmSettings::BuddiesKeyDown(QObject* watched, int key, Qt::KeyboardModifiers modifiers) {
  if (PageControl1->currentWidget() != tsBuddies ||
      (modifiers & ~Qt::KeypadModifier) != Qt::NoModifier)
    return false;
  // Enter in the name field adds the name; it must not press OK and lose it.
  if (watched == edBuddy && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
      !edBuddy->text().trimmed().isEmpty()) {
    btBuddyAddClick();
    return true;
  }
  if (watched == lbBuddies && key == Qt::Key_Delete && lbBuddies->currentRow() >= 0) {
    btBuddyDelClick();
    return true;
  }
  return false;
}
