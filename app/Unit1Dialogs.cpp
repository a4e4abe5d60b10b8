// The main window's dialogs: settings and server properties.

#include <exception>
#include <memory>

#include "app/PollShell.h"
#include "app/ServerView.h"
#include "app/StartupMessage.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "config/AppSettings.h"
#include "config/SettingsFile.h"
#include "dialogs/DialogTranslation.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/addr.h"
#include "dialogs/serverprop.h"
#include "dialogs/settings.h"
#include "history/HistoryWindow.h"
#include "model/ServerProperties.h"
#include "model/server.h"

void TfrmMain::CreateSettingsDialog() {
  frmSettings = new TfrmSettings(monitor_->Games, monitor_->Addresses, dm_, this);
  frmSettings->EditAddress = [this](std::unique_ptr<TAddress>& address, QWidget* parent) {
    return EditAddress(address, dm_, parent);
  };
  frmSettings->Polling = [this] { return monitor_->Engine.Polling(); };
  frmSettings->PausePolling = [this] { monitor_->Engine.Pause(); };
  frmSettings->ResumePolling = [this] { monitor_->Engine.Resume(); };
  frmSettings->CheckNow = [this](QWidget* parent, std::function<void()> finished) {
    return dm_.UpdateCheck.CheckManually(parent, std::move(finished));
  };
  frmSettings->UpdateServerConfigured = [] { return TUpdateCheck::ServerConfigured(); };
}

void TfrmMain::mnSettingsClick() {
  // Made when first asked for: most starts never open it.
  if (!frmSettings)
    CreateSettingsDialog();
  if (frmSettings->exec() == QDialog::Accepted) {
    if (frmSettings->LanguageChanged())
      ReloadLanguage();
    SettingsChanged();
  }
  // OK paused the poll for the new lists; it goes on with them.
  monitor_->Engine.Resume();
}

void TfrmMain::TranslateWindows() {
  QList<QObject*> windows{this};
  if (frmSettings)
    windows << frmSettings;
  if (frmHistory)
    windows << frmHistory;
  std::optional<std::string> error = dm_.LIS.Translate(windows);
  if (!error || !FirstReportOf(*error))
    return;
  if (isVisible())
    ShowError(this, QString::fromStdString(*error));
  else
    ShowStartupMessage(QMessageBox::Critical, QString::fromStdString(*error));
}

void TfrmMain::ReloadLanguage() {
  dm_.LIS.SetFileName(AppSettings.Language);
  TranslateWindows();
  dm_.OpenMessages();
}

void TfrmMain::SettingsChanged() {
  monitor_->ApplySettings();
  InvalidateViews();
  RefreshServers();
}

void TfrmMain::mnServersDescClick() {
  const TServer* focused = lvServers->FocusedServer();
  if (!focused)
    return;
  // The poll cycle goes on while the dialog is open and may retire the very
  // record: the dialog edits a copy, and the live record is found again.
  TServer edited(*focused);
  TServerProperties properties = PropertiesOf(edited);
  if (!EditServerProperties(properties, edited.HostPort(), dm_, this))
    return;
  ApplyProperties(edited, properties, &dm_.GameImages);
  if (TServer* live = monitor_->Servers.Find(edited.Host, edited.Port, edited.Id)) {
    ApplyProperties(*live, properties, nullptr);
    live->IconIndex = edited.IconIndex;
    live->UpdateTrayIcon();
  }
  try {
    WithIni([&] {
      edited.SaveProperties(Ini());
      monitor_->KnownServers.LoadFromIni(monitor_->Games, Roles(), &dm_.GameImages, false,
                                         shell_->Now());
    });
  } catch (const std::exception& error) {
    ShowError(this, QString::fromStdString(error.what()));
  }
  InvalidateViews();
  RefreshServers();
}
