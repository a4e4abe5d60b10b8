#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/StartupMessage.h"
#include "app/Unit1.h"
#include "app/dm.h"
#include "config/SettingsFile.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignalWatcher.h"
#include "util/app_dir.h"
#include "util/build_stamp.h"
#include "util/debug_log.h"

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Skarvel"));
  QApplication::setQuitOnLastWindowClosed(false);

  // The per-user folder is made on the first start; without it there is no
  // place for the settings, so say why and stop.
  if (const std::optional<std::string> problem = CreateProgramFolder()) {
    std::fprintf(stderr, "skarvel: %s\n", problem->c_str());
    QMessageBox::critical(nullptr, QStringLiteral("Skarvel"), QString::fromStdString(*problem));
    return 1;
  }

  SingleInstance instance(QString::fromStdString(ProgramFolder()));
  switch (instance.Acquire()) {
  case SingleInstance::Role::Failed:
    QMessageBox::critical(nullptr, QStringLiteral("Skarvel"),
                          QStringLiteral("CreateFileMapping error"));
    return 1;
  case SingleInstance::Role::Secondary:
    // The running copy shows its window; this start ends quietly.
    instance.SendRequest(SingleInstance::ShowRequest);
    return 0;
  case SingleInstance::Role::Primary:
    break;
  }

  SetDebugSwitch(HasDebugSwitch(std::vector<std::string>(argv + 1, argv + argc)));

  // Watch from here on, so a signal during start-up waits for the event loop
  // instead of killing the program before its layout is saved.
  UnixSignalWatcher endSignals({SIGTERM, SIGINT, SIGHUP});

  // A signal while a start-up message box waits ends the start-up at once.
  const QMetaObject::Connection duringStartup =
      QObject::connect(&endSignals, &UnixSignalWatcher::received, &app, &AbandonStartupMessages);

  // Settings that cannot be read would leave the default address list, whose
  // broadcast reaches the whole local network: say why and stop. (The trace
  // is written in the program folder, as the window's is.)
  QDir::setCurrent(QString::fromStdString(ProgramFolder()));
  if (const std::optional<std::string> problem = SettingsFileProblem(InAppDir("skarvel.ini"))) {
    ShowStartupMessage(QMessageBox::Critical, QString::fromStdString(*problem));
    return StartupMessagesAbandoned() ? 0 : 1;
  }

  Tdm dm(BuildStamp());
  auto frmMain = std::make_unique<TfrmMain>(dm);
  // The settings dialog is made here once it exists.
  if (StartupMessagesAbandoned())
    return 0; // the window's end saves the layout and logs the end

  QObject::connect(&instance, &SingleInstance::requestReceived, frmMain.get(), &TfrmMain::WMUser);
  QObject::disconnect(duringStartup);
  QObject::connect(&endSignals, &UnixSignalWatcher::received, frmMain.get(), &TfrmMain::EndSession);
  QObject::connect(&app, &QGuiApplication::commitDataRequest, frmMain.get(),
                   [&frmMain](QSessionManager&) { frmMain->EndSession(); });

  const int code = QApplication::exec();
  frmMain.reset(); // saves the layout and logs the end
  return code;
}
