#include "cli/ConsoleEvents.h"

#include "model/StatisticsPlugins.h"
#include "util/display_text.h"

void TConsoleEvents::EventLine(const TServer&, const std::string& line) {
  // The same text as the event log gets.
  if (!buddiesOnly_)
    Print(line);
}

void TConsoleEvents::BuddyEntered(const TServer&, const std::string&, const std::string& text) {
  Print(text);
}

void TConsoleEvents::Print(const std::string& line) {
  if (!out_)
    return;
  const std::string text = PrintableLine(line) + "\n";
  std::fwrite(text.data(), 1, text.size(), out_);
  // Each line as it happens, also when the output is a pipe.
  std::fflush(out_);
}

void TConsoleEvents::NotifyStatistics(const TServer& server) {
  if (statPlugins_)
    NotifyStatPlugins(*statPlugins_, server);
}
