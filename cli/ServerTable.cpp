#include "cli/ServerTable.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "model/server.h"
#include "util/display_text.h"

namespace {

constexpr std::size_t kColumns = 5;
using TRow = std::array<std::string, kColumns>;

struct TServerRows {
  TRow Row;
  std::vector<std::pair<std::string, std::string>> Players; // name, frags
};

std::string Padded(const std::string& text, std::size_t width) {
  const std::size_t count = CharacterCount(text);
  return text + std::string(width > count ? width - count : 0, ' ');
}

// The cells joined by two blanks, the last one unpadded.
template <std::size_t N>
std::string Line(const std::array<std::string, N>& cells, const std::array<std::size_t, N>& widths,
                 const std::string& indent) {
  std::string line = indent;
  for (std::size_t i = 0; i + 1 < N; ++i)
    line += Padded(cells[i], widths[i]) + "  ";
  return line + cells[N - 1] + "\n";
}

TServerRows RowsOf(const TServer& server) {
  TServerRows rows;
  rows.Row = {PrintableText(server.DisplayName()), PrintableText(server.Info[SKARVEL_INFO_NAME]),
              PrintableText(server.Info[SKARVEL_INFO_MAP]),
              PrintableText(server.Info[SKARVEL_INFO_FRAG_LIMIT]),
              PrintableText(server.Info[SKARVEL_INFO_PLAYERS] + "/" +
                            server.Info[SKARVEL_INFO_MAX_PLAYERS])};
  for (int32_t i = 0; i < server.Players.Count(); ++i) {
    const TPlayer& player = server.Players.Items(i);
    rows.Players.emplace_back(PrintableText(player.Name), std::to_string(player.Frags));
  }
  return rows;
}

} // namespace

std::string FormatServerTable(const TServerList& servers) {
  const TRow header = {"Host", "Name", "Map", "Fraglimit", "Players"};
  std::vector<TServerRows> rows;
  std::array<std::size_t, kColumns> widths{};
  for (std::size_t i = 0; i < kColumns; ++i)
    widths[i] = CharacterCount(header[i]);
  for (int32_t i = 0; i < servers.Count(); ++i) {
    if (!servers.Items(i).Online)
      continue;
    rows.push_back(RowsOf(servers.Items(i)));
    for (std::size_t column = 0; column < kColumns; ++column)
      widths[column] = std::max(widths[column], CharacterCount(rows.back().Row[column]));
  }

  std::string out = Line(header, widths, "");
  for (const TServerRows& server : rows) {
    out += Line(server.Row, widths, "");
    std::size_t nameWidth = 0;
    for (const auto& player : server.Players)
      nameWidth = std::max(nameWidth, CharacterCount(player.first));
    for (const auto& [name, frags] : server.Players)
      out += Line(std::array<std::string, 2>{name, frags}, {nameWidth, 0}, "    ");
  }
  return out;
}
