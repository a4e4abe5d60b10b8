/* Skarvel plug-in interface.
 *
 * Everything a plug-in author needs: the two reference-counted protocol
 * interfaces, the server callbacks and factories, the records exchanged with
 * the host, and the local-memory functions blocks cross the boundary in.
 * Plain C (C99); usable from C++. */
#ifndef SKARVEL_PLUGIN_H
#define SKARVEL_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#if defined(_WIN32)
#include <windows.h>
#define SKARVEL_STDCALL __stdcall
#define SKARVEL_REGISTER __attribute__((regparm(3)))
#define SKARVEL_EXPORT __declspec(dllexport)
#elif defined(__i386__)
/* The binary contract of 32-bit x86: stdcall methods, callbacks with their
 * arguments in EAX, EDX and ECX. */
#define SKARVEL_STDCALL __attribute__((stdcall))
#define SKARVEL_REGISTER __attribute__((regparm(3)))
#define SKARVEL_EXPORT __attribute__((visibility("default")))
#else
#define SKARVEL_STDCALL
#define SKARVEL_REGISTER
#define SKARVEL_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Local memory ---------------------------------------------------------
 * Datagrams and settings values cross the boundary in local-memory blocks that
 * the receiver frees. On Windows these are the system's functions; elsewhere
 * this header defines them over malloc, inline, so host and plug-ins agree. */
#if !defined(_WIN32)
typedef void* HLOCAL;

#define LMEM_FIXED 0x0000u
#define LMEM_MOVEABLE 0x0002u
#define LMEM_ZEROINIT 0x0040u
#define LHND (LMEM_MOVEABLE | LMEM_ZEROINIT)

/* A block is its size header followed by the bytes; the handle points at the
 * header, the locked pointer at the bytes. */
typedef union SkarvelLocalHeader {
  size_t size;
  long double alignLongDouble;
  void* alignPointer;
  long long alignInteger;
} SkarvelLocalHeader;

static inline HLOCAL LocalAlloc(unsigned int flags, size_t bytes) {
  SkarvelLocalHeader* header;
  unsigned char* data;
  size_t i;
  if (bytes > (size_t)-1 - sizeof(SkarvelLocalHeader))
    return NULL;
  header = (SkarvelLocalHeader*)malloc(sizeof(SkarvelLocalHeader) + bytes);
  if (header == NULL)
    return NULL;
  header->size = bytes;
  if (flags & LMEM_ZEROINIT) {
    data = (unsigned char*)(header + 1);
    for (i = 0; i < bytes; ++i)
      data[i] = 0;
  }
  return (HLOCAL)header;
}

static inline void* LocalLock(HLOCAL block) {
  return block == NULL ? NULL : (void*)((SkarvelLocalHeader*)block + 1);
}

static inline int LocalUnlock(HLOCAL block) {
  (void)block;
  return 0;
}

static inline size_t LocalSize(HLOCAL block) {
  return block == NULL ? 0 : ((SkarvelLocalHeader*)block)->size;
}

static inline HLOCAL LocalFree(HLOCAL block) {
  free(block);
  return NULL;
}
#endif

/* ---- Protocol interfaces -------------------------------------------------- */

/* Results of IGameServer.Parse. */
#define SKARVEL_PARSE_NOT_OURS 0 /* not a reply of this protocol, or rejected */
#define SKARVEL_PARSE_PARTIAL 1  /* accepted; the answer to the step is not complete yet */
#define SKARVEL_PARSE_COMPLETE 2 /* the answer to the step is complete */

typedef uint8_t SKARVEL_BOOL; /* one byte, non-zero = true */

typedef struct IGameQuery IGameQuery;
typedef struct IGameServer IGameServer;

/* The query builder of a game type: how many datagrams one poll of an address
 * takes, where each goes, and their bytes. */
typedef struct IGameQueryVtbl {
  int32_t(SKARVEL_STDCALL* QueryInterface)(IGameQuery* self, const void* iid, void** object);
  uint32_t(SKARVEL_STDCALL* AddRef)(IGameQuery* self);
  uint32_t(SKARVEL_STDCALL* Release)(IGameQuery* self);
  int32_t(SKARVEL_STDCALL* GetPacketCount)(IGameQuery* self);
  SKARVEL_BOOL(SKARVEL_STDCALL* IsPerServer)(IGameQuery* self, int32_t step);
  /* Data: a LHND block of exactly the datagram's length, owned by the caller
   * afterwards; NULL for a step at or beyond the count. */
  void(SKARVEL_STDCALL* BuildPacket)(IGameQuery* self, int32_t step, intptr_t challenge,
                                     HLOCAL* data, int32_t* queryContext);
} IGameQueryVtbl;

struct IGameQuery {
  const IGameQueryVtbl* lpVtbl;
};

/* The reply parser of one server: turns its datagrams into info texts and
 * players, handed to the host through the callbacks given at creation. */
typedef struct IGameServerVtbl {
  int32_t(SKARVEL_STDCALL* QueryInterface)(IGameServer* self, const void* iid, void** object);
  uint32_t(SKARVEL_STDCALL* AddRef)(IGameServer* self);
  uint32_t(SKARVEL_STDCALL* Release)(IGameServer* self);
  void(SKARVEL_STDCALL* Reset)(IGameServer* self);
  /* Returns one of the SKARVEL_PARSE_ results. Data is NULL for an empty
   * datagram. */
  int32_t(SKARVEL_STDCALL* Parse)(IGameServer* self, int32_t step, const void* data, int32_t size,
                                  int32_t queryContext, intptr_t* challenge, SKARVEL_BOOL* listed);
} IGameServerVtbl;

struct IGameServer {
  const IGameServerVtbl* lpVtbl;
};

/* Indexes of a server's info values; every value is a text. */
#define SKARVEL_INFO_NAME 0        /* server name */
#define SKARVEL_INFO_MAP 1         /* map */
#define SKARVEL_INFO_FRAG_LIMIT 2  /* frag limit */
#define SKARVEL_INFO_PLAYERS 3     /* number of players */
#define SKARVEL_INFO_MAX_PLAYERS 4 /* maximum players */
#define SKARVEL_INFO_COUNT 5       /* how many there are */

/* Server callbacks. Index is one of the SKARVEL_INFO_ indexes. */
typedef void(SKARVEL_REGISTER* TSetInfo)(void* context, int32_t index, const char* value);
/* Count NUL-terminated texts back to back, in index order; sets the first
 * min(Count, SKARVEL_INFO_COUNT) infos. */
typedef void(SKARVEL_REGISTER* TSetInfoList)(void* context, int32_t count, const char* values);
/* Name NUL, then, when Count > 1, frags NUL (decimal; 0 when missing or not a number). */
typedef void(SKARVEL_REGISTER* TAddPlayer)(void* context, int32_t count, const char* values);

/* Factories; each stores an interface that already holds one reference. */
typedef void(SKARVEL_STDCALL* TCreateQuery)(IGameQuery** query);
typedef void(SKARVEL_STDCALL* TCreateServer)(IGameServer** server, TSetInfo setInfo,
                                             void* setInfoContext, TSetInfoList setInfoList,
                                             void* setInfoListContext, TAddPlayer addPlayer,
                                             void* addPlayerContext);

/* ---- Records -------------------------------------------------------------- */

/* The description a game type is registered from. */
typedef struct TGameInfo {
  int32_t Port;            /* default game port */
  int32_t QueryPortOffset; /* added to the game port to reach the query port */
  const char* Key;         /* type key in the settings file */
  const char* Title;
  const char* ShortName; /* used in event texts and log lines */
  const char* Caption;   /* settings page caption, "&" marks the accelerator */
  const char* DefaultExecutable;
  const char* DefaultParameters;
  const char* Tag; /* key of the type whose launch settings this type shares */
} TGameInfo;

/* Settings callbacks on the program's settings file. ReadString returns a
 * LHND block holding exactly the value's bytes, without a NUL; the plug-in
 * frees it with LocalFree. */
typedef HLOCAL(SKARVEL_STDCALL* TReadStringCallback)(const char* section, const char* ident,
                                                     const char* defaultValue);
typedef void(SKARVEL_STDCALL* TWriteStringCallback)(const char* section, const char* ident,
                                                    const char* value);
typedef int32_t(SKARVEL_STDCALL* TReadIntegerCallback)(const char* section, const char* ident,
                                                       int32_t defaultValue);
typedef void(SKARVEL_STDCALL* TWriteIntegerCallback)(const char* section, const char* ident,
                                                     int32_t value);

/* Owned by the host for its whole run. */
typedef struct THostInfo {
  uint32_t HostVersion; /* major << 24 | minor << 16; 0x02050000 for 2.5 */
  uintptr_t AppWindow;  /* the application's window handle, or 0 */
  int32_t Interval;     /* the poll interval in milliseconds, kept current */
  TReadStringCallback ReadString;
  TWriteStringCallback WriteString;
  TReadIntegerCallback ReadInteger;
  TWriteIntegerCallback WriteInteger;
} THostInfo;

/* Owned by the plug-in, valid while it is loaded. */
typedef struct TPluginInfo {
  uint32_t Version;          /* the host version the plug-in was written for */
  const char* ErrorText;     /* shown when Init fails; may be NULL */
  const TGameInfo* GameInfo; /* the game type a game plug-in adds; NULL for statistics */
} TPluginInfo;

typedef struct TServerStateInfo {
  const TGameInfo* GameInfo;
  const char* Address; /* host, plus ":" and the port when it is not the default */
  const char* Title;   /* the description, or Address when there is none */
} TServerStateInfo;

/* ---- Exports ----------------------------------------------------------------
 * "Init" (required), "Detach" (optional), "CreateQuery" and "CreateServer"
 * (game plug-ins), "ServerState" (statistics plug-ins). */
typedef int32_t(SKARVEL_STDCALL* TInitFunction)(const THostInfo* hostInfo,
                                                TPluginInfo** pluginInfo);
typedef void(SKARVEL_STDCALL* TDetachFunction)(void);
/* Info: InfoCount texts, each followed by NUL. Players: PlayerCount names, each
 * followed by NUL (a single NUL when there are none). Frags: PlayerCount values,
 * NULL when there are no players. The buffers live only during the call. */
typedef void(SKARVEL_STDCALL* TServerStateFunction)(const TServerStateInfo* serverInfo,
                                                    int32_t infoCount, const char* info,
                                                    int32_t playerCount, const char* players,
                                                    const int32_t* frags);

#ifdef __cplusplus
}
#endif

#endif /* SKARVEL_PLUGIN_H */
