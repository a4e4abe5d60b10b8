#include "cli/ConsoleStartup.h"

#include "util/display_text.h"

namespace {

// A plug-in's error text goes to the terminal: its line break stays, nothing
// else of it may drive the terminal.
std::string PluginMessageLines(const std::string& message) {
  const std::size_t lineBreak = message.find("\r\n");
  if (lineBreak == std::string::npos)
    return PrintableLine(message);
  return PrintableLine(message.substr(0, lineBreak)) + "\n" +
         PrintableLine(message.substr(lineBreak + 2));
}

} // namespace

void StartConsoleMonitor(TMonitor& monitor, const std::function<void(const std::string&)>& report) {
  TStartupOptions startup;
  startup.LoadFailed = [&report](const std::exception& error) { report(error.what()); };
  startup.LogFailed = startup.LoadFailed;
  startup.PluginFailed = [&report](const std::string& message) {
    report(PluginMessageLines(message));
  };
  monitor.Start(startup);
}
