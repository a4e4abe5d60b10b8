#pragma once

#include <ctime>
#include <string>

#include "history/ServerHistory.h"

// Reads one server's history from the history plug-in's database. The
// database is opened read-only, as the plug-in may be writing it meanwhile,
// and anything in it may be odd: rows with a time that is not the plug-in's
// "YYYY-MM-DDTHH:MM:SSZ", with no player count or with a negative one are
// left out, and a file that is no such database gives an Error. `game` and
// `address` are as the plug-in stores them (the game's key; the host, with
// ":port" when the port is not the game's default); `now` ends both spans.
TServerHistory ReadServerHistory(const std::string& databasePath, const std::string& game,
                                 const std::string& address, std::time_t now);
