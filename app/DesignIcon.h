#pragma once

#include <QIcon>

// The program's own icon: the window icon and the common tray icon at start.
QIcon DesignIcon();
