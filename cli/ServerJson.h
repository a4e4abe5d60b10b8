#pragma once

#include <string>

class TServerList;

// A JSON string literal of server bytes: UTF-8 (Windows-1252 when the bytes
// are not UTF-8), with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& bytes);

// The online servers as a JSON array of objects: host, port, game (the key),
// name, map, fraglimit, players, maxplayers and playerlist ({name, frags},
// with "buddy": true for a player on the buddy list).
// The three counts are numbers when the server sent a decimal integer, null
// when it sent nothing or "-", else the text it sent.
std::string FormatServerJson(const TServerList& servers);
