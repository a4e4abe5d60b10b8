#include "cli/ConsoleStartup.h"

void StartConsoleMonitor(TMonitor& monitor, const std::function<void(const std::string&)>& report) {
  TStartupOptions startup;
  startup.LoadFailed = [&report](const std::exception& error) { report(error.what()); };
  startup.LogFailed = startup.LoadFailed;
  monitor.Start(startup);
}
