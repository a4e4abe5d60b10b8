#pragma once

#include <array>
#include <cstdint>

class TIniFile;

// The main window's bounds, the server view's height and the column widths,
// stored in section "Window".
struct TWindowLayout {
  int32_t Left = 205;
  int32_t Top = 104;
  int32_t Width = 435;
  int32_t Height = 348;
  int32_t ServersHeight = 109;
  std::array<int32_t, 5> ServersWidth = {95, 100, 105, 50, 50};
  std::array<int32_t, 2> PlayersWidth = {150, 50};
};

// Each key defaults to the value the layout holds now.
TWindowLayout ReadWindowLayout(const TIniFile& ini, const TWindowLayout& current);
void WriteWindowLayout(TIniFile& ini, const TWindowLayout& layout);
