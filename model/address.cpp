#include "model/address.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "model/EndpointIndex.h"
#include "util/comma_text.h"
#include "util/file_io.h"
#include "util/resolve.h"
#include "util/text.h"

namespace {

const char* const kSection = "Address";
const char* const kLegacySection = "Addresses";
const char* const kDefaultHost = "192.168.1.255";
const char* const kDefaultLegacyLine = "192.168.1.255=ut";
const char* const kDefaultLog = "stats.txt";

// Unreal ports that older versions stored one above the game port.
constexpr int32_t kUnrealPort = 7777;

const TGame& GameOf(const TGameList& registry, int32_t gameId) {
  const TGame* game = registry.FindById(gameId);
  if (!game)
    throw std::out_of_range("No game with id " + std::to_string(gameId));
  return *game;
}

// "host[:port]": the port is 0 when there is no colon or no integer after it.
std::pair<std::string, int32_t> SplitHostPort(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos)
    return {std::string(text), 0};
  return {std::string(text.substr(0, colon)),
          TryTextToInt(std::string(text.substr(colon + 1))).value_or(0)};
}

// A dotted quad stands as written (a trailing dot included); names are looked
// up. Empty when the name does not resolve.
std::string ResolveAddressHost(const std::string& host) {
  return IsDottedQuad(host) ? host : ResolveHost(host);
}

// The port only when it is not the game's own.
std::string HostPortOf(const std::string& host, int32_t port, const TDefs& defs) {
  if (port == 0 || port == defs.Port)
    return host;
  return host + ":" + std::to_string(port);
}

std::string IniKeyOf(const std::string& host, int32_t port, const TDefs& defs) {
  return HostPortOf(host, port, defs) + "," + defs.Key;
}

std::string ItemOrEmpty(const std::vector<std::string>& items, std::size_t index) {
  return index < items.size() ? items[index] : std::string();
}

// The override is stored only while it differs from the game's own file, so
// the address follows later changes of the game's settings.
std::string Override(const std::string& own, const std::string& game) {
  return own != game ? own : std::string();
}

// The lines of the older section as they stand in the file text: the INI
// reader would merge repeated hosts, which were separate entries there.
std::vector<std::string> LegacySectionLines() {
  const std::string text = ReadWholeFile(IniPath()).value_or(std::string());
  const std::string header = std::string("[") + kLegacySection + "]";
  std::vector<std::string> lines;
  bool inSection = false;
  for (std::string& line : SplitFileLines(text)) {
    if (inSection) {
      if (line.starts_with('['))
        break;
      lines.push_back(std::move(line));
    } else {
      inSection = SameTextAscii(line, header);
    }
  }
  return lines;
}

} // namespace

TAddress::TAddress(const TGameList& registry, const std::string& host, int32_t port, int32_t gameId)
    : registry_(&registry) {
  AssignGame(GameOf(registry, gameId));
  Host = host;
  Port = port != 0 ? port : Defs.Port;
  if (CreateQuery) {
    IGameQuery* query = nullptr;
    CreateQuery(&query);
    Query = TComRef<IGameQuery>::Adopt(query);
  }
}

// The game part is taken through Assign: a copy never owns the plug-in.
// NOLINTNEXTLINE(bugprone-copy-constructor-init)
TAddress::TAddress(const TAddress& source) : TGame(), registry_(source.registry_) {
  Assign(source);
}

void TAddress::Assign(const TAddress& source) {
  AssignGame(source);
  Host = source.Host;
  Port = source.Port;
  Description = source.Description;
  Enabled = source.Enabled;
  Query = source.Query;
  QueryContext = source.QueryContext;
  registry_ = source.registry_;
}

std::string TAddress::HostPort() const {
  return HostPortOf(Host, Port, Defs);
}

std::string TAddress::IniKey() const {
  return IniKeyOf(Host, Port, Defs);
}

std::string TAddress::DisplayName() const {
  return Description.empty() ? HostPort() : Description;
}

std::string TAddress::StoredValue() const {
  const TGame& game = RegistryGame();
  return ToCommaText({Enabled ? "1" : "0", Description, Override(IconFile, game.IconFile),
                      Override(Sound, game.Sound), Override(Log, game.Log)});
}

bool TAddress::LoadFromStoredText(const std::string& text, IGameIcons* icons) {
  const std::vector<std::string> items = FromCommaText(text);
  if (!items.empty())
    Enabled = items[0] == "1";
  Description = ItemOrEmpty(items, 1);
  IconFile = ItemOrEmpty(items, 2);
  Sound = ItemOrEmpty(items, 3);
  Log = ItemOrEmpty(items, 4);
  LoadIcon(icons);
  return true;
}

void TAddress::SaveOptions(TIniFile& ini) const {
  ini.WriteString(kSection, IniKey(), StoredValue());
}

int32_t TAddress::EffectiveIconIndex() const {
  return IconFile.empty() ? RegistryGame().IconIndex : IconIndex;
}

std::string TAddress::EffectiveSound() const {
  if (!Sound.empty())
    return Sound;
  const TGame& game = RegistryGame();
  return game.Sound.empty() ? AppSettings.OnlineSound : game.Sound.str();
}

std::string TAddress::EffectiveLog() const {
  if (!Log.empty())
    return Log;
  const TGame& game = RegistryGame();
  return game.Log.empty() ? kDefaultLog : game.Log.str();
}

const TGame& TAddress::RegistryGame() const {
  return GameOf(*registry_, Id);
}

std::optional<TAddressKey> ParseAddressKey(std::string_view key, const TGameList& registry) {
  const std::size_t comma = key.find(',');
  const TGame* game = registry.FindByKey(
      comma == std::string_view::npos ? std::string() : std::string(key.substr(comma + 1)));
  if (!game)
    return std::nullopt;
  auto [host, port] = SplitHostPort(key.substr(0, comma));
  host = ResolveAddressHost(host);
  if (host.empty())
    return std::nullopt;
  return TAddressKey{host, port != 0 ? port : game->Defs.Port, game->Id};
}

std::vector<TStoredEntry> ReadStoredEntries(const TIniFile& ini, const std::string& section,
                                            const TGameList& registry) {
  std::vector<TStoredEntry> entries;
  std::vector<bool> canonical; // listed under the canonical key of its address
  entries.reserve(ini.KeyCount(section));
  canonical.reserve(entries.capacity());
  ini.ForEachEntry(section, [&](const TIniEntry& written) {
    auto key = ParseAddressKey(written.Key, registry);
    if (!key)
      return;
    canonical.push_back(SameTextAscii(
        written.Key, IniKeyOf(key->Host, key->Port, GameOf(registry, key->GameId).Defs)));
    entries.push_back(TStoredEntry{std::move(key->Host), key->Port, key->GameId, written.Value});
  });

  // The repeats go in a pass of index work alone: between the parsing of
  // entries, each probe of a big index waited for memory by itself.
  TEndpointIndex<TStoredEntry> listed;
  listed.Reserve(entries.size());
  std::vector<bool> repeated(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    TStoredEntry& entry = entries[i];
    if (TStoredEntry* first = listed.Find(entry.Host, entry.Port, entry.Id)) {
      // The section lists each name once, so the entry under the canonical
      // key is the one a look-up by that name would find.
      if (canonical[i])
        first->Value = entry.Value;
      repeated[i] = true;
    } else {
      listed.Insert(entry);
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (repeated[i])
      continue;
    if (kept != i)
      entries[kept] = std::move(entries[i]);
    ++kept;
  }
  entries.resize(kept);
  return entries;
}

std::optional<TLegacyAddress> ParseLegacyLine(const std::string& line, const TGameList& registry) {
  const std::size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0)
    return std::nullopt;
  auto [host, port] = SplitHostPort(line.substr(0, equals));
  const std::string value = line.substr(equals + 1);
  if (value.size() < 2)
    return std::nullopt;
  const std::size_t comma = value.find(',');
  const TGame* game = registry.FindByKey(value.substr(0, comma));
  if (!game)
    return std::nullopt;
  bool enabled = true;
  if (comma != std::string::npos) {
    const char flag = comma + 1 < value.size() ? value[comma + 1] : '\0';
    if (flag != '0' && flag != '1')
      return std::nullopt;
    enabled = flag == '1';
  }
  host = ResolveAddressHost(host);
  if (host.empty())
    return std::nullopt;
  return TLegacyAddress{TAddressKey{host, port != 0 ? port : game->Defs.Port, game->Id}, enabled};
}

TAddress* TAddressList::Find(const std::string& host, int32_t port, int32_t gameId) const {
  for (const auto& address : items_)
    if (address->Host == host && address->Port == port && address->Id == gameId)
      return address.get();
  return nullptr;
}

bool TAddressList::Exists(const TAddress& address, const TAddress* except) const {
  for (const auto& item : items_)
    if (item.get() != except && item->Host == address.Host && item->Port == address.Port &&
        item->Id == address.Id)
      return true;
  return false;
}

void TAddressList::Add(std::unique_ptr<TAddress> address) {
  items_.push_back(std::move(address));
}

void TAddressList::Delete(int32_t index) {
  static_cast<void>(items_.at(static_cast<std::size_t>(index))); // range check
  items_.erase(items_.begin() + index);
}

void TAddressList::Exchange(int32_t i, int32_t j) {
  std::swap(items_.at(static_cast<std::size_t>(i)), items_.at(static_cast<std::size_t>(j)));
}

void TAddressList::Assign(const TAddressList& other) {
  // Built aside first, so assigning a list to itself keeps its entries.
  std::vector<std::unique_ptr<TAddress>> copies;
  copies.reserve(other.items_.size());
  for (const auto& address : other.items_)
    copies.push_back(std::make_unique<TAddress>(*address));
  items_ = std::move(copies);
}

void TAddressList::LoadFromIni(const TGameList& registry, IGameIcons* icons, bool migrate) {
  TIniFile& ini = Ini();
  if (ini.SectionExists(kLegacySection)) {
    std::vector<std::string> lines = LegacySectionLines();
    if (lines.empty())
      lines.push_back(kDefaultLegacyLine);
    Clear();
    // Later repeats of an entry are dropped.
    TEndpointIndex<TAddress> added;
    for (const std::string& line : lines) {
      const auto parsed = ParseLegacyLine(line, registry);
      if (!parsed || added.Find(parsed->Key.Host, parsed->Key.Port, parsed->Key.GameId))
        continue;
      auto address = std::make_unique<TAddress>(registry, parsed->Key.Host, parsed->Key.Port,
                                                parsed->Key.GameId);
      address->Enabled = parsed->Enabled;
      added.Insert(*address);
      Add(std::move(address));
    }
  } else {
    const std::vector<TStoredEntry> entries = ReadStoredEntries(ini, kSection, registry);
    Clear();
    items_.reserve(entries.size());
    for (const TStoredEntry& entry : entries) {
      try {
        auto address = std::make_unique<TAddress>(registry, entry.Host, entry.Port, entry.Id);
        address->LoadFromStoredText(std::string(entry.Value), icons);
        Add(std::move(address));
      } catch (const std::exception&) {
        // One broken entry costs only itself.
      }
    }
  }
  if (items_.empty())
    Add(std::make_unique<TAddress>(registry, kDefaultHost, 0, 0));

  if (migrate) {
    for (const auto& address : items_)
      if ((address->Id == 0 || address->Id == 1) && address->Port != 0 &&
          address->Port != kUnrealPort)
        --address->Port;
    SaveToIni();
  }
}

void TAddressList::SaveToIni() const {
  WithIni([&] {
    // Erasing the older section ends that layout for good.
    Ini().EraseSection(kLegacySection);
    Ini().EraseSection(kSection);
    for (const auto& address : items_)
      address->SaveOptions(Ini());
  });
}

int32_t TAddressList::QueryStepCount() const {
  int32_t steps = 0;
  for (const auto& address : items_)
    if (address->Enabled)
      steps += address->PacketCount();
  return steps;
}

int32_t TAddress::ReportedPacketCount() const {
  return Query ? Query->lpVtbl->GetPacketCount(Query.get()) : 0;
}

int32_t TAddress::PacketCount() const {
  return std::clamp(ReportedPacketCount(), 0, kMaxQuerySteps);
}

std::string TAddress::ProtocolName() const {
  const std::string& file = RegistryGame().PluginFile;
  return file.empty() ? "built-in " + Defs.Key : "plug-in " + file;
}
