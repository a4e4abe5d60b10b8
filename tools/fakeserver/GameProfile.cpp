#include "tools/fakeserver/GameProfile.h"

const std::vector<GameProfile>& GameProfiles() {
  static const std::vector<GameProfile> profiles = {
      {"ut", 7777, 1, "DM-Deck16][", false}, {"u4", 7777, 1, "DM-Rankin", false},
      {"q2", 27910, 0, "q2dm1", false},      {"q3", 27960, 0, "q3dm17", true},
      {"cs", 27015, 0, "de_dust2", false},   {"csp", 27015, 0, "de_dust2", false},
      {"css", 27015, 0, "de_dust2", false},  {"a2s", 27015, 0, "ctf_2fort", false, true},
  };
  return profiles;
}

const GameProfile* FindGameProfile(std::string_view key) {
  for (const GameProfile& profile : GameProfiles())
    if (profile.key == key)
      return &profile;
  return nullptr;
}
