#include "tools/flood/ReplyScreen.h"

#include "protocols/builtin_games.h"

namespace {

// The steps a built-in poll has (the Half-Life ones read each differently).
constexpr int32_t kSteps = 3;

void SKARVEL_REGISTER IgnoreInfo(void*, int32_t, const char*) {
}
void SKARVEL_REGISTER IgnoreTexts(void*, int32_t, const char*) {
}

} // namespace

TReplyScreen::TReplyScreen() {
  for (const TGameList::TBuiltin& game : BuiltinGames())
    parserFactories_.push_back(game.CreateServer);
}

bool TReplyScreen::IsReply(const std::string& datagram) const {
  for (const TCreateServer create : parserFactories_)
    for (int32_t step = 0; step < kSteps; ++step) {
      // A fresh parser for each try: no fragment of an earlier one counts.
      IGameServer* parser = nullptr;
      create(&parser, &IgnoreInfo, nullptr, &IgnoreTexts, nullptr, &IgnoreTexts, nullptr);
      intptr_t challenge = 0;
      SKARVEL_BOOL listed = 0;
      const int32_t result =
          parser->lpVtbl->Parse(parser, step, datagram.empty() ? nullptr : datagram.data(),
                                static_cast<int32_t>(datagram.size()), 0, &challenge, &listed);
      parser->lpVtbl->Release(parser);
      if (result != SKARVEL_PARSE_NOT_OURS)
        return true;
    }
  return false;
}
