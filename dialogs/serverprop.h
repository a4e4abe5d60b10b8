#pragma once

#include <QDialog>

#include <string>

#include "dialogs/DialogServices.h"
#include "model/ServerProperties.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Runs the server properties dialog; true and `properties` changed when
// confirmed.
bool EditServerProperties(TServerProperties& properties, const std::string& hostPort,
                          IDialogServices& services, QWidget* parent = nullptr);

// The server properties dialog: a live server's description, notification
// files, tray icon and popups.
class TfrmServerProp : public QDialog {
  Q_OBJECT
public:
  TfrmServerProp(const TServerProperties& properties, const std::string& hostPort,
                 IDialogServices& services, QWidget* parent = nullptr);

  // The controls' values. No tray radio button checked gives "none".
  TServerProperties Properties() const;

  void chPopupClick();
  void btIconClick();
  void btSoundClick();
  void btLogClick();

private:
  void FormCreate();
  void Fill(const TServerProperties& properties, const std::string& hostPort);

  IDialogServices& services_;

  QLabel* laIP = nullptr;
  QLineEdit* edIP = nullptr;
  QLabel* laDesc = nullptr;
  QLineEdit* edDescription = nullptr;
  QLineEdit* edIcon = nullptr;
  QPushButton* btIcon = nullptr;
  QLineEdit* edSound = nullptr;
  QPushButton* btSound = nullptr;
  QLineEdit* edLog = nullptr;
  QPushButton* btLog = nullptr;
  QGroupBox* gbTrayNew = nullptr;
  QRadioButton* rbOwnIcon = nullptr;
  QRadioButton* rbCommonIcon = nullptr;
  QRadioButton* rbNoIcon = nullptr;
  QCheckBox* chRealPlayersNumber = nullptr;
  QCheckBox* chPopup = nullptr;
  QCheckBox* chPopupPlayers = nullptr;
  QPushButton* btOk = nullptr;
  QPushButton* btCancel = nullptr;
};
