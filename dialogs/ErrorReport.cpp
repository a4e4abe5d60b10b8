#include "dialogs/ErrorReport.h"

#include <QMessageBox>

void ShowError(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Skarvel"), text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ErrorReport"));
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
}
