#pragma once

#include "games/StatPluginList.h"
#include "model/ServerStatistics.h"

class TServer;

// Hands a server's committed state to every statistics plug-in: the data is
// built once and lives only during the calls.
void NotifyStatPlugins(const TStatPluginList& plugins, const TServer& server);
