#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "games/ComRef.h"
#include "games/game.h"

class TIniFile;

// One place the user polls: a server or a broadcast address, with its game
// type and its own description, icon, sound and log overrides. It carries a
// copy of its game's registry entry (the texts shared, see TSharedText).
class TAddress : public TGame {
public:
  // Copies the registry entry of gameId (which must exist); port 0 means the
  // game's default port. Makes the address's query builder.
  TAddress(const TGameList& registry, const std::string& host, int32_t port, int32_t gameId);
  // CreateCopy: everything Assign copies; the query builder is shared.
  TAddress(const TAddress& source);
  TAddress& operator=(const TAddress&) = delete;
  virtual ~TAddress() = default;

  void Assign(const TAddress& source);

  std::string HostPort() const;    // host, plus ":port" when not the default
  std::string IniKey() const;      // HostPort, ",", game key
  std::string DisplayName() const; // Description, else HostPort

  // Section "Address": enabled flag, description, and the files that differ
  // from the game's current ones.
  std::string StoredValue() const;
  bool LoadFromStoredText(const std::string& text, IGameIcons* icons);
  void SaveOptions(TIniFile& ini) const;

  int32_t EffectiveIconIndex() const;
  std::string EffectiveSound() const;
  std::string EffectiveLog() const;

  // The registry entry of this address's game as it is now.
  const TGame& RegistryGame() const;
  const TGameList& Registry() const { return *registry_; }

  // Query steps of a cycle followed per address; the parsers' step sets hold
  // steps 0 to 31.
  static constexpr int32_t kMaxQuerySteps = 32;
  // The query builder's packet count, 0 without a builder.
  int32_t ReportedPacketCount() const;
  // The steps polled: the reported count within 0 and kMaxQuerySteps.
  int32_t PacketCount() const;
  // The plug-in file of this game, or the built-in protocol's key, for the trace.
  std::string ProtocolName() const;

  std::string Host;
  int32_t Port = 0;
  bool Enabled = true;
  std::string Description;
  TComRef<IGameQuery> Query;
  int32_t QueryContext = 0;

private:
  const TGameList* registry_;
};

// The host, port and game of a stored key "host[:port],game"; also how a
// server is found again in the live list once its record may have gone.
struct TAddressKey {
  std::string Host; // dotted IPv4, names resolved
  int32_t Port = 0; // the game's default port when none was given
  int32_t GameId = 0;
  bool operator==(const TAddressKey&) const = default;
};
// Nothing when the game is unknown or the host does not resolve.
std::optional<TAddressKey> ParseAddressKey(std::string_view key, const TGameList& registry);

// An entry of a section of addresses or servers: where it points and the
// value that belongs to it, a view of the settings text.
struct TStoredEntry {
  std::string Host;
  int32_t Port = 0;
  int32_t Id = 0; // the game's
  std::string_view Value;
};
// The entries of the section whose keys name an address, in file order, each
// host, port and game once, where it is listed first. Its value is the one
// under its canonical key (IniKey) when the section holds that, wherever it
// stands, else the one of the key as written (a default port written out, a
// host name), so a key spelled otherwise by hand keeps its value until a save
// writes it canonically. One pass over the section, no look-up by name.
std::vector<TStoredEntry> ReadStoredEntries(const TIniFile& ini, const std::string& section,
                                            const TGameList& registry);

// A line "host[:port]=gamekey[,0|1]" of the older "Addresses" layout.
struct TLegacyAddress {
  TAddressKey Key;
  bool Enabled = true;
};
std::optional<TLegacyAddress> ParseLegacyLine(const std::string& line, const TGameList& registry);

// The user's addresses in poll order; owns them.
class TAddressList {
public:
  TAddressList() = default;
  TAddressList(const TAddressList&) = delete;
  TAddressList& operator=(const TAddressList&) = delete;

  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TAddress& Items(int32_t index) { return *items_.at(static_cast<std::size_t>(index)); }
  const TAddress& Items(int32_t index) const { return *items_.at(static_cast<std::size_t>(index)); }
  TAddress* Find(const std::string& host, int32_t port, int32_t gameId) const;
  // True when an entry other than `except` has the address's host, port and game.
  bool Exists(const TAddress& address, const TAddress* except) const;
  void Add(std::unique_ptr<TAddress> address);
  void Delete(int32_t index);
  void Clear() { items_.clear(); }
  void Exchange(int32_t i, int32_t j);
  // Clears, then appends a copy of every entry of the other list.
  void Assign(const TAddressList& other);

  // Reads section "Address", or the older "Addresses" layout when present;
  // never leaves the list empty. With `migrate` (a settings file without a
  // version), Unreal ports stored one too high are corrected and saved. Works
  // inside the settings bracket.
  void LoadFromIni(const TGameList& registry, IGameIcons* icons, bool migrate);
  void SaveToIni() const;

  // Query steps of one poll over the enabled addresses.
  int32_t QueryStepCount() const;

private:
  std::vector<std::unique_ptr<TAddress>> items_;
};
