#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <vector>

#include "dialogs/AboutRows.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTreeWidget;

// The about box: the program's name and version, the homepage link and the
// versions of the program file and its plug-ins, which Copy puts on the
// clipboard. It deletes itself when closed and is not translated.
class TfrmAbout : public QDialog {
  Q_OBJECT
public:
  // openHomepage opens `homepage` in the browser.
  TfrmAbout(const std::vector<TAboutRow>& rows, const QString& homepage,
            std::function<void()> openHomepage, QWidget* parent = nullptr);

  void laURLClick();
  void btOKClick();
  void mnCopyClick();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FormCreate(const std::vector<TAboutRow>& rows, const QString& homepage);

  std::function<void()> openHomepage_;
  QLabel* Label1 = nullptr;
  QLabel* laURL = nullptr;
  QTreeWidget* lvVersion = nullptr;
  QMenu* pmVersion = nullptr;
  QAction* mnCopy = nullptr;
  QPushButton* btOK = nullptr;
};
