#pragma once

#include <cstdint>
#include <string>

#include "games/plugin.h"

// C++ bases for the built-in protocol objects. They carry the interface
// layout that plug-ins see (the C struct is the base, its first member the
// method table), the reference count and thunks into virtual functions.

class TGameQueryBase : public IGameQuery {
public:
  TGameQueryBase();
  virtual ~TGameQueryBase() = default;
  TGameQueryBase(const TGameQueryBase&) = delete;
  TGameQueryBase& operator=(const TGameQueryBase&) = delete;

  virtual int32_t GetPacketCount() = 0;
  virtual bool IsPerServer(int32_t step) = 0;
  // The datagram of a step; empty for a step at or beyond the count.
  virtual std::string BuildPacket(int32_t step, intptr_t challenge) = 0;

private:
  static const IGameQueryVtbl kVtbl;
  static int32_t SKARVEL_STDCALL QueryInterfaceThunk(IGameQuery* self, const void*, void** object);
  static uint32_t SKARVEL_STDCALL AddRefThunk(IGameQuery* self);
  static uint32_t SKARVEL_STDCALL ReleaseThunk(IGameQuery* self);
  static int32_t SKARVEL_STDCALL GetPacketCountThunk(IGameQuery* self);
  static SKARVEL_BOOL SKARVEL_STDCALL IsPerServerThunk(IGameQuery* self, int32_t step);
  static void SKARVEL_STDCALL BuildPacketThunk(IGameQuery* self, int32_t step, intptr_t challenge,
                                               HLOCAL* data, int32_t* queryContext);

  uint32_t refs_ = 1; // protocol objects live on the one user-interface thread
};

// The three server callbacks with their contexts, as CreateServer hands them over.
struct TServerCallbacks {
  TSetInfo SetInfo = nullptr;
  void* SetInfoContext = nullptr;
  TSetInfoList SetInfoList = nullptr;
  void* SetInfoListContext = nullptr;
  TAddPlayer AddPlayer = nullptr;
  void* AddPlayerContext = nullptr;
};

class TGameServerBase : public IGameServer {
public:
  explicit TGameServerBase(const TServerCallbacks& callbacks);
  virtual ~TGameServerBase() = default;
  TGameServerBase(const TGameServerBase&) = delete;
  TGameServerBase& operator=(const TGameServerBase&) = delete;

  // Whether the parser is one of these, whose challenge value is the address
  // of its 4 challenge bytes; a plug-in's value means what its builder says.
  static bool IsBuiltin(const IGameServer* server);

  virtual void Reset() {}
  // bytes is the whole datagram. challenge and listed are preset to 0 and true.
  virtual int32_t Parse(int32_t step, const std::string& bytes, int32_t queryContext,
                        intptr_t& challenge, bool& listed) = 0;

protected:
  // Texts go to the host NUL-terminated, so a NUL inside one ends it there.
  void SetInfo(int32_t index, const std::string& value);
  void SetInfoList(const std::string (&values)[SKARVEL_INFO_COUNT]);
  void AddPlayer(const std::string& name, const std::string& frags);

private:
  static const IGameServerVtbl kVtbl;
  static int32_t SKARVEL_STDCALL QueryInterfaceThunk(IGameServer* self, const void*, void** object);
  static uint32_t SKARVEL_STDCALL AddRefThunk(IGameServer* self);
  static uint32_t SKARVEL_STDCALL ReleaseThunk(IGameServer* self);
  static void SKARVEL_STDCALL ResetThunk(IGameServer* self);
  static int32_t SKARVEL_STDCALL ParseThunk(IGameServer* self, int32_t step, const void* data,
                                            int32_t size, int32_t queryContext, intptr_t* challenge,
                                            SKARVEL_BOOL* listed);

  TServerCallbacks callbacks_;
  uint32_t refs_ = 1; // protocol objects live on the one user-interface thread
};
