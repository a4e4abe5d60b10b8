#include "dialogs/addr_rows.h"

#include <QBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "dialogs/LngINISupp.h"

QLabel* AddCaption(QBoxLayout& column, QWidget& owner, const char* name, const QString& caption) {
  auto* label = new QLabel(caption, &owner);
  label->setObjectName(QString::fromLatin1(name));
  column.addWidget(label);
  return label;
}

QLineEdit* AddEdit(QBoxLayout& box, QWidget& owner, const char* name) {
  auto* edit = new QLineEdit(&owner);
  edit->setObjectName(QString::fromLatin1(name));
  box.addWidget(edit);
  return edit;
}

TBrowseRow AddBrowseRow(QBoxLayout& column, QWidget& owner, const char* labelName,
                        const QString& caption, const char* editName, const char* buttonName) {
  QLabel* label = AddCaption(column, owner, labelName, caption);
  auto* row = new QHBoxLayout;
  column.addLayout(row);
  TBrowseRow browse;
  browse.Edit = AddEdit(*row, owner, editName);
  browse.Button = new QPushButton(QStringLiteral("#"), &owner);
  browse.Button->setObjectName(QString::fromLatin1(buttonName));
  TLngINISupp::Exclude(browse.Button);
  browse.Button->setAutoDefault(false); // Enter in an edit means OK, not browse
  // As tall as the edit and square: a small button that says "pick a file".
  const int side = browse.Edit->sizeHint().height();
  browse.Button->setFixedSize(side, side);
  row->addWidget(browse.Button);
  label->setBuddy(browse.Edit);
  return browse;
}

TFileRows AddFileRows(QBoxLayout& column, QWidget& owner) {
  return {AddBrowseRow(column, owner, "laIcon", QStringLiteral("Icon:"), "edIcon", "btIcon"),
          AddBrowseRow(column, owner, "laSound", QStringLiteral("Sound:"), "edSound", "btSound"),
          AddBrowseRow(column, owner, "laLog", QStringLiteral("Log:"), "edLog", "btLog")};
}

void PutPickedFile(QLineEdit& edit, const std::optional<QString>& picked) {
  if (picked)
    edit.setText(*picked);
}

TOkCancel AddOkCancel(QBoxLayout& column, QDialog& dialog) {
  TOkCancel buttons;
  buttons.Ok = new QPushButton(QStringLiteral("&OK"), &dialog);
  buttons.Ok->setObjectName(QStringLiteral("btOk"));
  buttons.Ok->setDefault(true);
  buttons.Cancel = new QPushButton(QStringLiteral("&Cancel"), &dialog);
  buttons.Cancel->setObjectName(QStringLiteral("btCancel"));
  buttons.Cancel->setAutoDefault(false);
  QObject::connect(buttons.Cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(buttons.Ok);
  row->addWidget(buttons.Cancel);
  column.addStretch();
  column.addLayout(row);
  return buttons;
}

void FixSizeCentred(QDialog& dialog, const QLayout& layout, QSize designSize) {
  // A title and a close button, nothing to resize with.
  dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  dialog.setFixedSize(layout.minimumSize().expandedTo(designSize));
  if (const QScreen* screen = dialog.screen())
    dialog.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, dialog.size(),
                                           screen->availableGeometry()));
}
