// skarvel-cli: the poll cycle of Skarvel on the console, over the same program
// folder, settings file, engine and model as the window.

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/ConsoleEvents.h"
#include "cli/ConsoleLoop.h"
#include "cli/ConsolePorts.h"
#include "cli/ConsoleStartup.h"
#include "cli/ServerJson.h"
#include "cli/ServerTable.h"
#include "cli/StartupChecks.h"
#include "cli/StopSignals.h"
#include "cli/UdpSocket.h"
#include "config/SettingsFile.h"
#include "config/StatsLog.h"
#include "poll/Monitor.h"
#include "util/DatagramReader.h"
#include "util/app_dir.h"
#include "util/debug_log.h"
#include "util/receive_buffer.h"
#include "util/version.h"

namespace {

void Error(const std::string& text) {
  std::cerr << "skarvel-cli: " << text << std::endl;
}

// The current folder becomes the program folder, where the trace and the
// logs are written (the per-user one is made on the first start); false
// (reported) when there is no such folder.
bool EnterProgramFolder(const std::string& folder) {
  if (const auto problem = CreateProgramFolder()) {
    Error(*problem);
    return false;
  }
  if (const auto problem = ProgramFolderProblem(folder)) {
    Error(*problem);
    return false;
  }
  if (chdir(folder.c_str()) != 0) {
    Error("cannot enter the program folder " + folder + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

void StatsLine(const std::string& text) {
  try {
    StatsLog(text);
  } catch (const std::exception& error) {
    Error(error.what());
  }
}

int Run(const TCommandLine& options) {
  // Caught from here on, so that a stop during start-up still ends cleanly.
  TStopSignals stopSignals;
  if (!EnterProgramFolder(ProgramFolder()))
    return 1;
  if (!EnsureIniFile()) {
    // As the window does: go on with the built-in settings.
    Error("Cannot create INI file " + IniPath());
  } else if (const auto problem = SettingsFileProblem(IniPath())) {
    Error(*problem);
    return 1;
  }

  TUdpSocket socket;
  TConsolePorts ports(socket);
  ports.Trace(ReceiveBufferTraceLine(socket.ReceiveBuffer()));
  TConsoleEvents events(options.Once ? nullptr : stdout, options.BuddiesOnly);
  TMonitor monitor(events.Roles(), ports);
  events.AttachStatPlugins(monitor.StatPlugins);
  StartConsoleMonitor(monitor, Error);
  TDatagramReader reader(socket.Fds());
  TConsoleLoop loop(socket, reader, ports, monitor.Engine, stopSignals, Error);
  if (!options.Once) {
    loop.Run([] { return false; });
  } else {
    if (!loop.Run([&] { return !monitor.Engine.Polling(); })) {
      Error("interrupted before the poll cycle ended");
      return 1;
    }
    std::cout << (options.Json ? FormatServerJson(monitor.Servers)
                               : FormatServerTable(monitor.Servers))
              << std::flush;
  }
  StatsLine("Program terminated");
  return 0;
}

} // namespace

int main(int argc, char* argv[]) {
  std::setlocale(LC_ALL, "");
  const TCommandLine options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!options.Error.empty()) {
    Error(options.Error);
    std::cerr << UsageText();
    return 2;
  }
  if (options.Help) {
    std::cout << UsageText();
    return 0;
  }
  if (options.Version) {
    std::cout << "skarvel-cli " << VersionToText(ProgramVersion()) << "\n";
    return 0;
  }
  SetDebugSwitch(options.Debug);
  try {
    return Run(options);
  } catch (const std::exception& error) {
    Error(error.what());
    return 1;
  }
}
