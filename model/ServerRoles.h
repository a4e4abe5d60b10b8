#pragma once

#include "model/ServerNotifications.h"
#include "model/ServerStatistics.h"
#include "model/ServerTray.h"
#include "model/ServerViews.h"

// What a server reports to, as its owner hands it over: one front end may
// be all four roles, another only some of them with stand-ins for the rest.
// The roles outlive every server made with them.
struct TServerRoles {
  IServerViews& Views;
  IServerTray& Tray;
  IServerNotifications& Notifications;
  IServerStatistics& Statistics;
};
