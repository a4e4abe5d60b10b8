#pragma once

#include <optional>
#include <string>

#include "config/SettingsFile.h" // SettingsFileProblem

// What keeps the console front end from starting, told before anything is
// polled: without a program folder or a readable settings file it would fall
// back to the default address list.

// Nothing when `folder` exists and is a folder; else the reason.
std::optional<std::string> ProgramFolderProblem(const std::string& folder);
