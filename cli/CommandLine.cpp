#include "cli/CommandLine.h"

#include "util/debug_log.h"

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine line;
  for (const std::string& arg : args) {
    if (HasDebugSwitch({arg}))
      line.Debug = true;
    else if (arg == "--once")
      line.Once = true;
    else if (arg == "--json")
      line.Once = line.Json = true;
    else if (arg == "--buddies")
      line.BuddiesOnly = true;
    else if (arg == "--help" || arg == "-h")
      line.Help = true;
    else if (arg == "--version")
      line.Version = true;
    else if (line.Error.empty())
      line.Error = "unknown option \"" + arg + "\"";
  }
  return line;
}

std::string UsageText() {
  return "Usage: skarvel-cli [--once] [--json] [--buddies] [-debug] [--help] [--version]\n"
         "Polls the game servers of skarvel.ini in the program folder ($SKARVEL_HOME, else the\n"
         "folder of this program when it holds a skarvel.ini, else $XDG_CONFIG_HOME/skarvel or\n"
         "~/.config/skarvel) and prints each event line (online, offline, entered, left)\n"
         "and each buddy announcement (a player of section [Buddies] joined a server).\n"
         "\n"
         "  --once     run one poll cycle and print the servers found, each with its players\n"
         "  --json     as --once, printed as a JSON array; buddies have \"buddy\": true\n"
         "  --buddies  print the buddy announcements only\n"
         "  -debug     write the poll trace to skarvel.err (also /debug, any letter case)\n"
         "  --help     show this text\n"
         "  --version  show the version\n";
}
