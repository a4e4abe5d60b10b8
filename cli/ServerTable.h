#pragma once

#include <string>

class TServerList;

// The online servers as the main window lists them (Host, Name, Map,
// Fraglimit, Players), each row followed by its players and their frags,
// indented. Columns are padded to their widest text.
std::string FormatServerTable(const TServerList& servers);
