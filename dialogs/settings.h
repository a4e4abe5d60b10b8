#pragma once

#include <QDialog>

#include <functional>
#include <memory>

#include "config/BuddyList.h"
#include "games/game.h"
#include "model/address.h"

class IDialogServices;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The settings dialog: the address list, each game's launch and notification
// files, the application settings and the buddy list. It edits working copies; only OK
// reaches the live lists, the settings file and the autostart entry.
class TfrmSettings : public QDialog {
  Q_OBJECT
public:
  // Runs the address dialog on an address; true when the user confirmed. It may
  // replace the object behind the reference (a change of game).
  using TAddressEditor = std::function<bool(std::unique_ptr<TAddress>& address, QWidget* parent)>;
  enum class TUpDownButton { Up, Down };

  // games, addresses: the live registry and address list that OK commits to.
  TfrmSettings(TGameList& games, TAddressList& addresses, IDialogServices& services,
               QWidget* parent = nullptr);
  ~TfrmSettings() override; // writes the geometry (never throws)

  TAddressEditor EditAddress;    // set by the window; tests give their own
  std::function<bool()> Polling; // a poll cycle is in progress (OK waits for its end)
  // OK pauses the poll so that the running cycle ends at its next step, and
  // resumes it when it stays open. After an accepted exec() the owner
  // resumes the poll once it has applied the settings.
  std::function<void()> PausePolling;
  std::function<void()> ResumePolling;
  // "Check now": starts the manual update check over `parent` and calls
  // `finished` when it has ended; false when no check started.
  std::function<bool(QWidget* parent, std::function<void()> finished)> CheckNow;
  // Whether an update server is configured; without one the update box is
  // disabled and says why. Unset counts as configured.
  std::function<bool()> UpdateServerConfigured;
  // After an accepted exec(): whether OK changed the language setting.
  bool LanguageChanged() const { return languageChanged_; }

  void FormShow();
  void FormClose();
  void tcGamesChange(int tab);
  void btAddClick();
  void btEditClick();
  void btDelClick();
  void UpDown1Click(TUpDownButton button);
  // Insert adds, Delete deletes, F2 edits: on the Addresses page, without
  // Shift, Ctrl or Alt. True when the key was one of them.
  bool lvAddrKeyDown(int key, Qt::KeyboardModifiers modifiers);
  bool BuddiesKeyDown(QObject* watched, int key, Qt::KeyboardModifiers modifiers);
  void btExeClick();
  void btIconClick();
  void btSoundClick();
  void btLogClick();
  void btOnlineSoundClick();
  void chUpdateClick();
  void btCheckClick();
  void btBuddyAddClick();
  void btBuddyDelClick();
  void btOkClick();

  void done(int result) override;
  void reject() override;

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void FitMinimumSize();
  void FormCreate();
  void FormDestroy() noexcept;
  void BuildAddressPage(QWidget* page);
  void BuildGamesPage(QWidget* page);
  void BuildAppPage(QWidget* page);
  void BuildBuddiesPage(QWidget* page);
  QLayout* BuildButtonRow();
  void PreviewKeys();

  void ShowGame(int tab);
  void StoreGame(int tab);
  void ShowGameIcon(const TGame& game);
  TGame* GameOfTab(int tab);
  void ShowAppSettings();
  void ShowUpdateAvailability();
  void FillLanguages();
  void FillAddrItem(QTreeWidgetItem& item, const TAddress& address);
  int ChosenRow() const;
  void SelectRow(int row);
  void ShowAutostart();
  void ShowBuddies();
  void AddBuddyItem(const QString& pattern);
  // The patterns of the page, as OK would store them.
  TBuddyList ListedBuddies() const;
  void StoreAutostart();

  // False when the program is to end meanwhile: the dialog is then rejected.
  bool WaitForPollCycle();
  void TakeAppSettings();
  void Commit();

  TGameList& games_;
  TAddressList& addresses_;
  IDialogServices& services_;
  TGameList WorkGames;
  TAddressList WorkAddresses;
  int shownTab_ = -1;
  bool languageChanged_ = false;
  bool waitingForPoll_ = false;
  bool updatesAvailable_ = true;

  QTabWidget* PageControl1 = nullptr;
  QWidget* tsAddr = nullptr;
  QWidget* tsGames = nullptr;
  QWidget* tsApp = nullptr;
  QWidget* tsBuddies = nullptr;

  QTreeWidget* lvAddr = nullptr;
  QPushButton* btAdd = nullptr;
  QPushButton* btEdit = nullptr;
  QPushButton* btDel = nullptr;
  QWidget* UpDown1 = nullptr;

  QTabBar* tcGames = nullptr;
  QLabel* imGame = nullptr;
  QLabel* laGameTitle = nullptr;
  QLineEdit* edExe = nullptr;
  QLineEdit* edParams = nullptr;
  QLineEdit* edIcon = nullptr;
  QLineEdit* edSound = nullptr;
  QLineEdit* edLog = nullptr;

  QCheckBox* chAutostart = nullptr;
  QCheckBox* chTray = nullptr;
  QCheckBox* chPopup = nullptr;
  QCheckBox* chDigits = nullptr;
  QCheckBox* chStat = nullptr;
  QCheckBox* chDbl = nullptr;
  QCheckBox* chQuit = nullptr;
  QButtonGroup* trayNewGroup_ = nullptr;
  QRadioButton* rbOwnIcon = nullptr;
  QRadioButton* rbCommonIcon = nullptr;
  QRadioButton* rbNoIcon = nullptr;
  QLineEdit* edOnlineSound = nullptr;
  QLineEdit* edInterval = nullptr;
  QLineEdit* edWaitAns = nullptr;
  QComboBox* coLang = nullptr;
  QCheckBox* chUpdate = nullptr;
  QLabel* laCheckInterval = nullptr;
  QLineEdit* edCheck = nullptr;
  QPushButton* btCheck = nullptr;
  QLabel* laNoUpdateServer = nullptr;

  QListWidget* lbBuddies = nullptr;
  QLineEdit* edBuddy = nullptr;
  QPushButton* btBuddyAdd = nullptr;
  QPushButton* btBuddyDel = nullptr;

  QPushButton* btOk = nullptr;
  QPushButton* btCancel = nullptr;
};
