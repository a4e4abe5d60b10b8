// OK: validation, then the commit to the settings, the live lists and the file.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>

#include "config/AppSettings.h"
#include "config/BuddyList.h"
#include "config/LngFile.h"
#include "config/MsgINISupp.h"
#include "config/SettingsFile.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/Message.h"
#include "dialogs/QuitRequestWatch.h"
#include "dialogs/settings.h"
#include "util/text.h"

namespace {

// The engine's step timer needs a pause between queries.
constexpr int32_t kLeastWaitAnswer = 50;
constexpr int32_t kDefaultWaitAnswer = 500;
constexpr int32_t kDefaultCheckDays = 30;

// A value the user must correct; the dialog stays open.
class ESettingsRefused : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

std::optional<int32_t> IntegerOf(const QLineEdit* edit) {
  return TryTextToInt(edit->text().toStdString());
}

} // namespace

void TfrmSettings::chUpdateClick() {
  laCheckInterval->setEnabled(chUpdate->isChecked());
  edCheck->setEnabled(chUpdate->isChecked());
}

void TfrmSettings::ShowUpdateAvailability() {
  // Without a server no check can run: the box must not promise one.
  const bool wasAvailable = updatesAvailable_;
  updatesAvailable_ = !UpdateServerConfigured || UpdateServerConfigured();
  if (!updatesAvailable_)
    chUpdate->setChecked(false);
  chUpdate->setEnabled(updatesAvailable_);
  // "Check now" stays disabled while a check it started runs.
  if (updatesAvailable_ != wasAvailable)
    btCheck->setEnabled(updatesAvailable_);
  laNoUpdateServer->setText(Message("NoUpdateServer", "No update server is configured"));
  laNoUpdateServer->setVisible(!updatesAvailable_);
}

void TfrmSettings::btCheckClick() {
  if (!CheckNow)
    return;
  // The check runs on while the dialog stays usable; the button comes back
  // when it has ended (the dialog may be gone by then).
  btCheck->setEnabled(false);
  const QPointer<QPushButton> button = btCheck;
  const auto enable = [button] {
    if (button)
      button->setEnabled(true);
  };
  if (!CheckNow(this, enable))
    enable();
}

bool TfrmSettings::WaitForPollCycle() {
  if (PausePolling)
    PausePolling();
  const bool okEnabled = btOk->isEnabled();
  btOk->setEnabled(false);
  btCancel->setEnabled(false);
  waitingForPoll_ = true;
  // The end of the program does not wait for the cycle; this loop is none of
  // the event loops that quitting ends.
  TQuitRequestWatch quit;
  // Each event may be the one that ends the cycle: sleep until the next one
  // comes, then look again.
  while (Polling && Polling() && !quit.Requested())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  waitingForPoll_ = false;
  btOk->setEnabled(okEnabled);
  btCancel->setEnabled(true);
  return !quit.Requested();
}

void TfrmSettings::btOkClick() {
  if (!WaitForPollCycle()) {
    reject();
    return;
  }
  try {
    TakeAppSettings();
    Commit();
  } catch (const std::exception& error) {
    if (ResumePolling)
      ResumePolling();
    ShowError(this, QString::fromStdString(error.what()));
    return;
  }
  accept();
}

void TfrmSettings::TakeAppSettings() {
  TAppSettings& s = AppSettings;
  // Each value takes effect in memory as it passes; a later refusal keeps it.
  const std::optional<int32_t> interval = IntegerOf(edInterval);
  // 0 polls only on demand; a negative period has no meaning.
  if (!interval || *interval < 0)
    throw ESettingsRefused(Lookup("WrongInterval", "Wrong interval"));
  s.Interval = *interval;
  s.MaxWaitAnswer = std::max(IntegerOf(edWaitAns).value_or(kDefaultWaitAnswer), kLeastWaitAnswer);
  // A box disabled for want of a server keeps the stored days for the day one is set.
  if (updatesAvailable_)
    s.CheckUpdates = chUpdate->isChecked() ? IntegerOf(edCheck).value_or(kDefaultCheckDays) : 0;

  // An unchanged name may name no file: the built-in texts serve then.
  const std::string language = coLang->currentText().toStdString();
  const bool changed = language != s.Language;
  if (changed) {
    const std::string path = LanguageFilePath(language);
    const std::optional<TLngFile> file =
        path.empty() ? std::nullopt : std::optional<TLngFile>(std::in_place, path);
    // Another file of the folder (the history, the settings) would be read
    // and grown as one.
    if (file && file->Problem())
      throw ESettingsRefused(*file->Problem());
    if (!file || !file->Exists())
      throw ESettingsRefused(Lookup("LangFileMissing", "Language file not found"));
  }
  languageChanged_ = changed;

  s.Stats = chStat->isChecked();
  s.Digits = chDigits->isChecked();
  s.DoubleClick = chDbl->isChecked();
  s.Quit = chQuit->isChecked();
  s.StartInTray = chTray->isChecked();
  s.PopupMessages = chPopup->isChecked();
  s.TrayNew = rbOwnIcon->isChecked() ? 1 : rbCommonIcon->isChecked() ? 0 : 2;
  s.OnlineSound = edOnlineSound->text().toStdString();
  s.Language = language;
}

void TfrmSettings::Commit() {
  StoreGame(shownTab_);
  for (int32_t i = 0; i < WorkAddresses.Count(); ++i)
    WorkAddresses.Items(i).Enabled = lvAddr->topLevelItem(i)->checkState(0) == Qt::Checked;

  // One bracket, so the file is written once, whole or not at all. When it
  // cannot be written, the live lists go back to what the file still says.
  TGameList gamesBefore;
  gamesBefore.Assign(games_);
  TAddressList addressesBefore;
  addressesBefore.Assign(addresses_);
  const TBuddyList buddiesBefore = Buddies;
  try {
    WithIni([this] {
      SaveAppSettings();
      Buddies = ListedBuddies();
      SaveBuddies();
      games_.Assign(WorkGames);
      games_.SaveSettings();
      addresses_.Assign(WorkAddresses);
      addresses_.SaveToIni();
    });
  } catch (...) {
    games_.Assign(gamesBefore);
    addresses_.Assign(addressesBefore);
    Buddies = buddiesBefore;
    throw;
  }
  // After the file, so that a refused write leaves the log-on start as it was too.
  StoreAutostart();
}
