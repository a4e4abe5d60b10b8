// Feeds the a2s plug-in's parser a sequence of datagrams at arbitrary steps,
// as a server's replies over several polls would arrive, and builds each
// step's request with the challenge value the host would keep. The input is
// a list of frames: [step][length low][length high][bytes...]; a short last
// frame takes the rest. The step byte is signed; 0xFF resets the parser as a
// new poll does. What the parser hands over is checked as the host reads it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" {
#include "plugins/a2s/a2s_query.h"
#include "plugins/a2s/a2s_server.h"
}

namespace {

// Breaks the run when the parser hands over something the host cannot take.
void Require(bool condition) {
  if (!condition)
    __builtin_trap();
}

void SKARVEL_REGISTER OnSetInfo(void*, int32_t index, const char* value) {
  Require(index >= 0 && index < SKARVEL_INFO_COUNT);
  Require(std::strlen(value) < 16384); // read whole: it ends inside what came
}

void SKARVEL_REGISTER OnAddPlayer(void*, int32_t count, const char* values) {
  Require(count == 2);
  const std::string name(values);
  const std::string frags(values + name.size() + 1);
  Require(!name.empty() && !frags.empty() && frags.size() <= 11);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  IGameServer* server = nullptr;
  A2sCreateServer(&server, &OnSetInfo, nullptr, &OnAddPlayer, nullptr);
  IGameQuery* query = nullptr;
  A2sCreateQuery(&query);
  intptr_t kept = 0; // the first challenge value of the poll, as the host keeps it

  std::size_t at = 0;
  while (at < size) {
    const uint8_t stepByte = data[at++];
    std::size_t length = size - at;
    if (size - at >= 2) {
      length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
      at += 2;
    }
    if (stepByte == 0xFF) {
      server->lpVtbl->Reset(server);
      kept = 0;
    } else {
      const int32_t step = static_cast<int8_t>(stepByte);
      intptr_t challenge = -1;
      SKARVEL_BOOL listed = 0xEE;
      // A copy of exactly the datagram, so the sanitizer sees any read past it.
      std::string datagram(reinterpret_cast<const char*>(data + at), length);
      const int32_t result =
          server->lpVtbl->Parse(server, step, length ? datagram.data() : nullptr,
                                static_cast<int32_t>(length), 0, &challenge, &listed);
      Require(result >= SKARVEL_PARSE_NOT_OURS && result <= SKARVEL_PARSE_COMPLETE);
      Require((listed != 0) == (result != SKARVEL_PARSE_NOT_OURS));
      Require((challenge != 0) == (result != SKARVEL_PARSE_NOT_OURS));
      if (kept == 0)
        kept = challenge;
      HLOCAL packet = nullptr;
      int32_t context = 0;
      const bool perServer = query->lpVtbl->IsPerServer(query, step) != 0;
      query->lpVtbl->BuildPacket(query, step, perServer ? kept : 0, &packet, &context);
      Require((packet != nullptr) == (step >= 0 && step < 4));
      if (packet) {
        Require(LocalSize(packet) >= 9 && LocalSize(packet) <= 29);
        LocalFree(packet);
      }
    }
    at += length;
  }
  query->lpVtbl->Release(query);
  server->lpVtbl->Release(server);
  return 0;
}
