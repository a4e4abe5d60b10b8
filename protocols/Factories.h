#pragma once

#include "games/ComBase.h"
#include "games/plugin.h"

// The exports of a built-in game type, made from its classes and its record:
// the very functions a plug-in library would export.

template <const TGameInfo& Info>
int32_t SKARVEL_STDCALL InitGame(const THostInfo*, TPluginInfo** pluginInfo) {
  static TPluginInfo info{0, nullptr, &Info};
  *pluginInfo = &info;
  return 1;
}

template <class Query> void SKARVEL_STDCALL CreateQueryOf(IGameQuery** query) {
  *query = new Query();
}

template <class Server>
void SKARVEL_STDCALL CreateServerOf(IGameServer** server, TSetInfo setInfo, void* setInfoContext,
                                    TSetInfoList setInfoList, void* setInfoListContext,
                                    TAddPlayer addPlayer, void* addPlayerContext) {
  *server = new Server(TServerCallbacks{setInfo, setInfoContext, setInfoList, setInfoListContext,
                                        addPlayer, addPlayerContext});
}
