// Feeds one protocol's parser a sequence of datagrams, as a server's replies
// over several polls would arrive. The input is a list of frames:
// [step][length low][length high][bytes...]; a short last frame takes the
// rest. Step 0xFF resets the parser as a new poll does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include FUZZ_PROTOCOL_HEADER
#include "games/plugin.h"
#include "protocols/Factories.h"

namespace {

// The host side of the callbacks: check what a parser hands over is sane.
std::size_t delivered = 0;

std::size_t Walk(int32_t count, const char* values) {
  std::size_t total = 0;
  for (int32_t i = 0; i < count; ++i) {
    const std::string text(values);
    total += text.size();
    values += text.size() + 1;
  }
  return total;
}

void SKARVEL_REGISTER OnSetInfo(void*, int32_t, const char* value) {
  delivered += std::string(value).size();
}
void SKARVEL_REGISTER OnSetInfoList(void*, int32_t count, const char* values) {
  delivered += Walk(count, values);
}
void SKARVEL_REGISTER OnAddPlayer(void*, int32_t count, const char* values) {
  delivered += Walk(count, values);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  IGameServer* server = nullptr;
  CreateServerOf<FUZZ_PARSER>(&server, &OnSetInfo, nullptr, &OnSetInfoList, nullptr, &OnAddPlayer,
                              nullptr);
  IGameQuery* query = nullptr;
  CreateQueryOf<FUZZ_QUERY>(&query);

  std::size_t at = 0;
  while (at < size) {
    const uint8_t step = data[at++];
    std::size_t length = size - at;
    if (size - at >= 2) {
      length = std::min<std::size_t>(data[at] | (data[at + 1] << 8), size - at - 2);
      at += 2;
    }
    if (step == 0xFF) {
      server->lpVtbl->Reset(server);
    } else {
      intptr_t challenge = 0;
      SKARVEL_BOOL listed = 0;
      // A copy of exactly the datagram, so the sanitizer sees any read past it.
      std::string datagram(reinterpret_cast<const char*>(data + at), length);
      server->lpVtbl->Parse(server, step & 3, length ? datagram.data() : nullptr,
                            static_cast<int32_t>(length), 0, &challenge, &listed);
      // Build the step with whatever challenge came back, as the poll cycle does.
      HLOCAL packet = nullptr;
      int32_t context = 0;
      query->lpVtbl->BuildPacket(query, step & 3, challenge, &packet, &context);
      if (packet)
        LocalFree(packet);
    }
    at += length;
  }
  query->lpVtbl->Release(query);
  server->lpVtbl->Release(server);
  return 0;
}
