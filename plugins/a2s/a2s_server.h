/* The reply parser of one server. */
#ifndef A2S_SERVER_H
#define A2S_SERVER_H

#include "games/plugin.h"

/* Stores NULL when there is no memory for it. */
void A2sCreateServer(IGameServer** server, TSetInfo setInfo, void* setInfoContext,
                     TAddPlayer addPlayer, void* addPlayerContext);

#endif
