#pragma once

#include <string>
#include <vector>

// Splits a parameter text into program arguments the way a POSIX shell reads
// words, without running a shell: blanks separate words; single quotes keep
// everything literally; double quotes keep blanks, and a backslash in them
// escapes only $ ` " \ and a line end; outside quotes a backslash escapes any
// character. A quote left open runs to the end of the text. Nothing is
// expanded: "$HOME" and "*" stay as they are.
std::vector<std::string> SplitShellWords(const std::string& text);
