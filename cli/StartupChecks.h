#pragma once

#include <optional>
#include <string>

// What keeps the console front end from starting, told before anything is
// polled: without a program folder or a readable settings file it would fall
// back to the default address list.

// Nothing when `folder` exists and is a folder; else the reason.
std::optional<std::string> ProgramFolderProblem(const std::string& folder);
// Nothing when the settings file can be read; else the reason. (The settings
// store reads a file it cannot read as an empty one.)
std::optional<std::string> SettingsFileProblem(const std::string& path);
