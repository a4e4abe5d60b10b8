#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dialogs/AboutRows.h"
#include "games/game.h"

// Failures name the rows.
void PrintTo(const TAboutRow& row, std::ostream* out) {
  *out << '"' << row.Caption << ' ' << row.Version << '"';
}

namespace {

using ::testing::ElementsAreArray;

// A registry entry; a built-in type has no plug-in file.
std::unique_ptr<TGame> Game(const std::string& pluginFile, PackedVersion version) {
  auto game = std::make_unique<TGame>();
  game->PluginFile = pluginFile;
  game->PluginVersion = version;
  return game;
}

struct RowsCase {
  const char* name;
  std::vector<std::pair<std::string, PackedVersion>> gamePlugins; // "" is a built-in type
  std::vector<TStatPluginVersion> statPlugins;
  std::vector<TAboutRow> expected;
};

class AboutRowsTest : public ::testing::TestWithParam<RowsCase> {};

TEST_P(AboutRowsTest, ListsTheProgramAndItsPluginsByCaption) {
  const RowsCase& c = GetParam();
  TGameList games;
  for (const auto& [file, version] : c.gamePlugins)
    games.Append(Game(file, version));
  EXPECT_THAT(AboutRows("skarvel", ProgramVersion(), games, c.statPlugins),
              ElementsAreArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AboutRowsTest,
    ::testing::Values(RowsCase{"NoPlugins", {{"", 0}, {"", 0}}, {}, {{"skarvel", "2.5"}}},
                      RowsCase{"GameAndStatisticsPluginsSorted",
                               {{"", 0}, {"libquake4.so", MakePackedVersion(2, 5)}, {"", 0}},
                               {{"history.so", MakePackedVersion(1, 0, 7)},
                                {"", MakePackedVersion(9, 9)},
                                {"a2s.so", MakePackedVersion(3, 1)}},
                               {{"a2s.so", "3.1"},
                                {"history.so", "1.0.7"},
                                {"libquake4.so", "2.5"},
                                {"skarvel", "2.5"}}},
                      RowsCase{"PluginWithoutVersionResource",
                               {},
                               {{"bare.so", 0}},
                               {{"bare.so", "0.0"}, {"skarvel", "2.5"}}}),
    [](const ::testing::TestParamInfo<RowsCase>& test) { return std::string(test.param.name); });

// The fixture library's version resource is 1.2.0.3; a plug-in's release is
// its fourth field.
TEST(AboutRows, PluginFileVersionShowsMajorMinorAndRelease) {
  FileVersion version;
  ASSERT_TRUE(ReadFileVersion(VERSIONED_PLUGIN, version));
  TGameList games;
  games.Append(
      Game("versioned.so", MakePackedVersion(version.major, version.minor, version.release)));
  EXPECT_THAT(
      AboutRows("skarvel", ProgramVersion(), games, {}),
      ElementsAreArray(std::vector<TAboutRow>{{"skarvel", "2.5"}, {"versioned.so", "1.2.3"}}));
}

} // namespace
