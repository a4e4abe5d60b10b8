#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "config/BuddyList.h"
#include "config/MsgINISupp.h"
#include "tests/support/NotifyFixture.h"

namespace {

using namespace notify_fixture;

// The same names as a server sends them in UTF-8 and in Windows-1252.
struct TName {
  const char* label;
  std::string bytes;
};
const TName kPlayerUtf8{"player UTF-8", "Zo\xC3\xAB"};
const TName kPlayer1252{"player 1252", "Zo\xEB"};
const TName kServerUtf8{"server UTF-8", "Rail \xE2\x80\x93 S\xC3\xBC"
                                        "d"};
const TName kServer1252{"server 1252", "Rail \x96 S\xFC"
                                       "d"};

// Message templates whose own punctuation is not ASCII, as translations have.
const char kGermanMessages[] = "[Project_Messages]\n"
                               "Server=Server\n"
                               "IsOnline=ist online\n"
                               "PlayersOnline=Spieler eingetreten …\n"
                               "BuddyJoined=%1 spielt auf %2-Server „%3“ (%4, %5/%6)\n";

struct TLanguage {
  const char* label;
  const char* file;               // nullptr: the built-in English texts
  std::vector<std::string> texts; // the balloons and announcements, in order
};

const TLanguage kEnglish{
    "English",
    nullptr,
    {
        "ShowBalloon 0 title=Skarvel text=Q3 server \"Rail – Süd\" (10.0.0.5) is online",
        "ShowBalloon 0 title=Arena Box (Q3) text=Players online: Zoë,Jörg",
        "BuddyEntered: Zoë joined Q3 server “Rail – Süd” (q3dm17, 2/16)",
        "ShowBalloon 0 title=Skarvel text=Zoë joined Q3 server “Rail – Süd” (q3dm17, 2/16)",
    }};
const TLanguage kGerman{
    "German",
    kGermanMessages,
    {
        "ShowBalloon 0 title=Skarvel text=Q3 Server \"Rail – Süd\" (10.0.0.5) ist online",
        "ShowBalloon 0 title=Arena Box (Q3) text=Spieler eingetreten …: Zoë,Jörg",
        "BuddyEntered: Zoë spielt auf Q3-Server „Rail – Süd“ (q3dm17, 2/16)",
        "ShowBalloon 0 title=Skarvel text=Zoë spielt auf Q3-Server „Rail – Süd“ (q3dm17, 2/16)",
    }};

using TCase = std::tuple<TLanguage, TName, TName>;

// Announcements join the language's UTF-8 texts with the server's own, which
// may be Windows-1252: whatever the mix, they come out as UTF-8 text.
class AnnouncementTextTest : public NotifyFixture, public ::testing::WithParamInterface<TCase> {
protected:
  void TearDown() override { MIS().Close(); }
};

TEST_P(AnnouncementTextTest, EachServerTextIsDecodedOnItsOwn) {
  const auto& [language, player, serverName] = GetParam();
  MIS().Close();
  MIS().SetFileName(language.file ? folder.write("Deutsch.lng", language.file)
                                  : folder.file("Missing.lng"));
  Buddies.Add("zo*");
  auto server = Make();
  server->SetOnline(true);
  Take();
  // A UTF-8 name beside the server's: each name of a list on its own.
  server->ApplyReply(0, Q3Reply(serverName.bytes, {player.bytes, "J\xC3\xB6rg"}), kStart);
  server->AnnounceOnline();
  server->CommitPass(kStart);

  Lines texts;
  for (const std::string& call : Take())
    if (call.starts_with("ShowBalloon"))
      texts.push_back(call);
    else if (call.starts_with("BuddyEntered"))
      texts.push_back("BuddyEntered" + call.substr(call.find(':')));
  EXPECT_EQ(texts, language.texts);
}

INSTANTIATE_TEST_SUITE_P(, AnnouncementTextTest,
                         ::testing::Combine(::testing::Values(kEnglish, kGerman),
                                            ::testing::Values(kPlayerUtf8, kPlayer1252),
                                            ::testing::Values(kServerUtf8, kServer1252)),
                         [](const ::testing::TestParamInfo<TCase>& param) {
                           std::string name = std::string(std::get<0>(param.param).label) + "_" +
                                              std::get<1>(param.param).label + "_" +
                                              std::get<2>(param.param).label;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           return name;
                         });

} // namespace
