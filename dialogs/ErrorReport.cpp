#include "dialogs/ErrorReport.h"

#include <QMessageBox>

#include <QAbstractButton>

#include "dialogs/Message.h"

void ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Skarvel"), text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ErrorReport"));
  box.setDefaultButton(QMessageBox::Ok);
  TranslateButtons(box);
  box.exec();
}

void TranslateButtons(QMessageBox& box) {
  for (QAbstractButton* button : box.buttons()) {
    switch (box.standardButton(button)) {
    case QMessageBox::Ok:
      button->setText(Message("ButtonOK", "OK"));
      break;
    case QMessageBox::Yes:
      button->setText(Message("ButtonYes", "&Yes"));
      break;
    case QMessageBox::No:
      button->setText(Message("ButtonNo", "&No"));
      break;
    default:
      break;
    }
  }
}
