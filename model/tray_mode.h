#pragma once

#include <cstdint>

// How a server shows in the notification area: the values of TServer::TrayMode
// as the settings file stores them. The store also accepts 3, which none of
// these names: such a server gets no icon and stays out of the common icon's hint.
enum TTrayMode : uint8_t {
  kTrayCommonIcon = 0, // counted on the common icon
  kTrayOwnIcon = 1,    // an icon of its own while online
  kTrayNoIcon = 2,     // no icon; still in the common icon's hint
};
