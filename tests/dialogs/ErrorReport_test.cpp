#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include "ModalScript.h"
#include "dialogs/ErrorReport.h"

TEST(ErrorReportTest, ShowsTheTextInAnErrorBoxCaptionedSkarvelOverItsParent) {
  QWidget parent;
  QString title;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* shownOver = nullptr;
  TModalScript script;
  script.Then([&](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    title = box.windowTitle();
    icon = box.icon();
    shownOver = box.parentWidget();
    box.button(QMessageBox::Ok)->click();
  });
  ShowError(&parent, QStringLiteral("Wrong interval"));
  EXPECT_EQ(script.MessageTexts(), QStringList{QStringLiteral("Wrong interval")});
  EXPECT_EQ(title, "Skarvel");
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_EQ(shownOver, &parent);
  EXPECT_EQ(script.Pending(), 0);
  EXPECT_EQ(script.Unanswered(), 0);
}
