#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
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

// A window manager's title bar holds the title beside an icon and three
// buttons; a box as narrow as "Wrong port" showed "S…el".
TEST(ErrorReportTest, AShortTextLeavesRoomForTheWholeTitle) {
  QWidget parent;
  int width = 0;
  int needed = 0;
  TModalScript script;
  script.Then([&](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    QFont bold = box.font();
    bold.setBold(true);
    const int titleBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
    needed = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 4 * titleBar;
    width = box.width();
    box.button(QMessageBox::Ok)->click();
  });
  ShowError(&parent, QStringLiteral("Wrong"));
  EXPECT_GE(width, needed);
  EXPECT_EQ(script.Unanswered(), 0);
}
