#include "protocols/builtin_games.h"

#include "protocols/Factories.h"
#include "protocols/server_cs.h"
#include "protocols/server_csp.h"
#include "protocols/server_css.h"
#include "protocols/server_q2.h"
#include "protocols/server_q3.h"
#include "protocols/server_u4.h"
#include "protocols/server_ut.h"

namespace {

template <const TGameInfo& Info, class Query, class Server>
constexpr TGameList::TBuiltin Builtin(int32_t image) {
  return {&InitGame<Info>, &CreateQueryOf<Query>, &CreateServerOf<Server>, image};
}

} // namespace

const std::vector<TGameList::TBuiltin>& BuiltinGames() {
  static const std::vector<TGameList::TBuiltin> games = {
      Builtin<kGameInfoUT, TQueryUT, TServerUT>(1),
      Builtin<kGameInfoU4, TQueryU4, TServerU4>(5),
      Builtin<kGameInfoQ2, TQueryQ2, TServerQ2>(2),
      Builtin<kGameInfoQ3, TQueryQ3, TServerQ3>(3),
      Builtin<kGameInfoCS, TQueryCS, TServerCS>(4),
      Builtin<kGameInfoCSP, TQueryCSP, TServerCSP>(4),
      Builtin<kGameInfoCSS, TQueryCSS, TServerCSS>(6),
  };
  return games;
}
