#pragma once

#include <QIcon>

// The program's own icon, drawn at every theme size from 16 up to `largest`
// pixels (at most 256): the window icon, the common tray icon at start and
// the installed theme icons.
QIcon DesignIcon(int largest = 256);
