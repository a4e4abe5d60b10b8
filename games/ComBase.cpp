#include "games/ComBase.h"

#include <cstring>

namespace {

// E_NOINTERFACE: neither interface has an identifier to be asked for.
constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002u);

// Texts cross the boundary NUL-terminated: cut at an embedded NUL.
std::string AsCText(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

} // namespace

const IGameQueryVtbl TGameQueryBase::kVtbl = {
    &TGameQueryBase::QueryInterfaceThunk, &TGameQueryBase::AddRefThunk,
    &TGameQueryBase::ReleaseThunk,        &TGameQueryBase::GetPacketCountThunk,
    &TGameQueryBase::IsPerServerThunk,    &TGameQueryBase::BuildPacketThunk,
};

TGameQueryBase::TGameQueryBase() {
  lpVtbl = &kVtbl;
}

int32_t SKARVEL_STDCALL TGameQueryBase::QueryInterfaceThunk(IGameQuery*, const void*,
                                                            void** object) {
  if (object)
    *object = nullptr;
  return kNoInterface;
}

uint32_t SKARVEL_STDCALL TGameQueryBase::AddRefThunk(IGameQuery* self) {
  return ++static_cast<TGameQueryBase*>(self)->refs_;
}

uint32_t SKARVEL_STDCALL TGameQueryBase::ReleaseThunk(IGameQuery* self) {
  auto* object = static_cast<TGameQueryBase*>(self);
  const uint32_t left = --object->refs_;
  if (left == 0)
    delete object;
  return left;
}

int32_t SKARVEL_STDCALL TGameQueryBase::GetPacketCountThunk(IGameQuery* self) {
  return static_cast<TGameQueryBase*>(self)->GetPacketCount();
}

SKARVEL_BOOL SKARVEL_STDCALL TGameQueryBase::IsPerServerThunk(IGameQuery* self, int32_t step) {
  return static_cast<TGameQueryBase*>(self)->IsPerServer(step) ? 1 : 0;
}

void SKARVEL_STDCALL TGameQueryBase::BuildPacketThunk(IGameQuery* self, int32_t step,
                                                      intptr_t challenge, HLOCAL* data, int32_t*) {
  *data = nullptr;
  const std::string bytes = static_cast<TGameQueryBase*>(self)->BuildPacket(step, challenge);
  if (bytes.empty())
    return;
  HLOCAL block = LocalAlloc(LHND, bytes.size());
  if (!block)
    return;
  std::memcpy(LocalLock(block), bytes.data(), bytes.size());
  LocalUnlock(block);
  *data = block;
}

const IGameServerVtbl TGameServerBase::kVtbl = {
    &TGameServerBase::QueryInterfaceThunk, &TGameServerBase::AddRefThunk,
    &TGameServerBase::ReleaseThunk,        &TGameServerBase::ResetThunk,
    &TGameServerBase::ParseThunk,
};

TGameServerBase::TGameServerBase(const TServerCallbacks& callbacks) : callbacks_(callbacks) {
  lpVtbl = &kVtbl;
}

int32_t SKARVEL_STDCALL TGameServerBase::QueryInterfaceThunk(IGameServer*, const void*,
                                                             void** object) {
  if (object)
    *object = nullptr;
  return kNoInterface;
}

uint32_t SKARVEL_STDCALL TGameServerBase::AddRefThunk(IGameServer* self) {
  return ++static_cast<TGameServerBase*>(self)->refs_;
}

uint32_t SKARVEL_STDCALL TGameServerBase::ReleaseThunk(IGameServer* self) {
  auto* object = static_cast<TGameServerBase*>(self);
  const uint32_t left = --object->refs_;
  if (left == 0)
    delete object;
  return left;
}

bool TGameServerBase::IsBuiltin(const IGameServer* server) {
  return server && server->lpVtbl == &kVtbl;
}

void SKARVEL_STDCALL TGameServerBase::ResetThunk(IGameServer* self) {
  static_cast<TGameServerBase*>(self)->Reset();
}

int32_t SKARVEL_STDCALL TGameServerBase::ParseThunk(IGameServer* self, int32_t step,
                                                    const void* data, int32_t size,
                                                    int32_t queryContext, intptr_t* challenge,
                                                    SKARVEL_BOOL* listed) {
  std::string bytes;
  if (data && size > 0)
    bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(size));
  intptr_t newChallenge = 0;
  bool isListed = true;
  const int32_t result =
      static_cast<TGameServerBase*>(self)->Parse(step, bytes, queryContext, newChallenge, isListed);
  if (challenge)
    *challenge = newChallenge;
  if (listed)
    *listed = isListed ? 1 : 0;
  return result;
}

void TGameServerBase::SetInfo(int32_t index, const std::string& value) {
  if (callbacks_.SetInfo)
    callbacks_.SetInfo(callbacks_.SetInfoContext, index, AsCText(value).c_str());
}

void TGameServerBase::SetInfoList(const std::string (&values)[SKARVEL_INFO_COUNT]) {
  if (!callbacks_.SetInfoList)
    return;
  std::string packed;
  for (const std::string& value : values) {
    packed += AsCText(value);
    packed += '\0';
  }
  callbacks_.SetInfoList(callbacks_.SetInfoListContext, SKARVEL_INFO_COUNT, packed.c_str());
}

void TGameServerBase::AddPlayer(const std::string& name, const std::string& frags) {
  if (!callbacks_.AddPlayer)
    return;
  std::string packed = AsCText(name);
  packed += '\0';
  packed += AsCText(frags);
  packed += '\0';
  callbacks_.AddPlayer(callbacks_.AddPlayerContext, 2, packed.c_str());
}
