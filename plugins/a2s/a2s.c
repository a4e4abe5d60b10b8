/* The "a2s" game plug-in: today's Source and GoldSrc servers through the
 * Source query protocol. Exports Init, CreateQuery, CreateServer and its
 * FileVersion; a2s_icon.c exports its image. */
#include "games/plugin.h"

#include "a2s_query.h"
#include "a2s_server.h"

/* The first host version whose plug-in contract this one follows. */
#define A2S_HOST_VERSION 0x02050000u

SKARVEL_EXPORT const uint16_t FileVersion[4] = {2, 5, 0, 1};

/* Steam connects to any of these games by the server's address. */
static const TGameInfo kGameInfo = {27015,
                                    0,
                                    "a2s",
                                    "Source engine servers (A2S)",
                                    "A2S",
                                    "&A2S",
                                    "/usr/games/steam",
                                    "steam://connect/%1",
                                    "a2s"};

static TPluginInfo kPluginInfo = {A2S_HOST_VERSION, NULL, &kGameInfo};

SKARVEL_EXPORT int32_t SKARVEL_STDCALL Init(const THostInfo* hostInfo, TPluginInfo** pluginInfo) {
  (void)hostInfo;
  if (pluginInfo == NULL)
    return 0;
  *pluginInfo = &kPluginInfo;
  return 1;
}

SKARVEL_EXPORT void SKARVEL_STDCALL CreateQuery(IGameQuery** query) {
  A2sCreateQuery(query);
}

/* The parser delivers its info texts one by one and needs no info list. */
SKARVEL_EXPORT void SKARVEL_STDCALL CreateServer(IGameServer** server, TSetInfo setInfo,
                                                 void* setInfoContext, TSetInfoList setInfoList,
                                                 void* setInfoListContext, TAddPlayer addPlayer,
                                                 void* addPlayerContext) {
  (void)setInfoList;
  (void)setInfoListContext;
  A2sCreateServer(server, setInfo, setInfoContext, addPlayer, addPlayerContext);
}
