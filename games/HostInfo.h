#pragma once

#include "games/plugin.h"

// The record every plug-in's Init gets: one for the program's whole run, so
// the pointer a plug-in keeps stays valid. Its settings callbacks work on the
// settings file, each call in its own OpenIni/CloseIni bracket. AppWindow is
// 0: there is no window handle a plug-in could use on this platform.
THostInfo& ProgramHostInfo();
