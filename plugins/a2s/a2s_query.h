/* The query builder: the requests of the four steps of a poll. */
#ifndef A2S_QUERY_H
#define A2S_QUERY_H

#include "games/plugin.h"

/* Stores NULL when there is no memory for it. */
void A2sCreateQuery(IGameQuery** query);

#endif
