#include "dialogs/ErrorReport.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QStyle>

#include "dialogs/Message.h"

namespace {

// Executes a box of the program's own: title "Skarvel", buttons in the chosen
// language, room for the title. Gives the button chosen.
QMessageBox::StandardButton Run(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, QStringLiteral("Skarvel"), text, buttons, parent);
  box.setObjectName(QStringLiteral("ErrorReport"));
  box.setDefaultButton(defaultButton);
  TranslateButtons(box);
  LeaveRoomForTitle(box);
  box.exec();
  return box.standardButton(box.clickedButton());
}

} // namespace

void ShowError(QWidget* parent, const QString& text) {
  Run(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowNote(QWidget* parent, const QString& text) {
  Run(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool AskYesNo(QWidget* parent, const QString& question) {
  return Run(parent, QMessageBox::Question, question, QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) == QMessageBox::Yes;
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

void LeaveRoomForTitle(QMessageBox& box) {
  // The box makes itself only as wide as its text and a little more than its
  // title; a window manager's title bar also holds an icon and three buttons,
  // and with a short text such as "Wrong port" it cut "Skarvel" to "S…el".
  // The title bar's font is the window font in bold at most.
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int titleBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
  const int room = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 5 * titleBar;
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (!grid)
    return;
  grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                grid->rowCount(), 0, 1, grid->columnCount());
}
