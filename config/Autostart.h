#pragma once

#include <optional>
#include <string>

// Start at log-on through the XDG autostart entry
// $XDG_CONFIG_HOME/autostart/skarvel.desktop (default ~/.config).
std::string AutostartEntryPath(); // "" when neither variable is set

// On when the entry exists, whatever it holds; no answer when there is no
// place to look.
std::optional<bool> ReadAutostart();
// Writes the entry (Exec = the executable's full path) or removes it. Failures
// are silent.
void WriteAutostart(bool on);

// The entry's Exec value for a program path: quoted and escaped by the
// desktop-entry rules when the path holds blanks or other reserved characters.
std::string DesktopExecValue(const std::string& program);
