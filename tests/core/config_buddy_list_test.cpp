#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/BuddyList.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

using Patterns = std::vector<std::string>;

struct MatchCase {
  const char* pattern;
  const char* name;
  bool matches;
};

// Patterns against names as servers report them.
const MatchCase kMatchCases[] = {
    {"Anna", "Anna", true},
    {"anna", "ANNA", true},     // ASCII case folds
    {"Anna", "Annabel", false}, // the whole name, not a prefix
    {"Anna", "Hanna", false},   // nor a suffix
    {"Anna*", "Annabel", true},
    {"Anna*", "Anna", true}, // "*" may stand for nothing
    {"*anna*", "[Clan]Anna_2", true},
    {"*", "", true},
    {"?", "", false},
    {"A?na", "Anna", true},
    {"A?na", "Ana", false}, // "?" is exactly one character
    {"A??a", "Anna", true},
    {"J?rg", "Jörg", true},    // "ö" is one character in UTF-8
    {"J?rg", "J\xF6rg", true}, // and one byte in Latin-1
    {"jörg", "JÖRG", false},   // only ASCII folds
    {"jörg", "Jörg", true},
    {"Zoë", "Zo\xEB", true}, // a typed name finds its Windows-1252 spelling
    {"*ë", "Zo\xEB", true},
    {"Zoë", "Zo\xEB\xEB", false},
    {"Zo\xEB", "Zo\xEB", true},  // a hand-edited file in Windows-1252
    {"*a*b*c", "xaybzzc", true}, // backtracking over several stars
    {"*a*b*c", "xaybzzcd", false},
    {"a*a*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
    {"[Clan].Anna", "[clan].anna", true}, // no character is special but * and ?
    {"Anna+1", "Anna+1", true},
    {"100%", "100%", true},
    {"\\*", "\\x", true},       // no escapes: "\" is itself
    {"^1Anna", "^1Anna", true}, // "^" is no colour code here: the
    {"^1Anna", "Anna", false},  // protocol took those out already
    {"anna", "^1Anna", false},
};

TEST(BuddyListTest, MatchesNamesAgainstPatterns) {
  for (const MatchCase& c : kMatchCases) {
    TBuddyList list;
    ASSERT_TRUE(list.Add(c.pattern)) << c.pattern;
    EXPECT_EQ(list.Matches(c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

TEST(BuddyListTest, AnyPatternOfTheListMatches) {
  TBuddyList list;
  EXPECT_FALSE(list.Matches("")); // an empty list matches nobody
  EXPECT_FALSE(list.Matches("Anna"));
  list.Add("Bob");
  list.Add("An*");
  EXPECT_TRUE(list.Matches("Anna"));
  EXPECT_TRUE(list.Matches("bob"));
  EXPECT_FALSE(list.Matches("Carl"));
}

TEST(BuddyListTest, AddTrimsAndRefusesEmptyDuplicateAndMultiLinePatterns) {
  TBuddyList list;
  EXPECT_TRUE(list.Add("  Anna\t"));
  EXPECT_FALSE(list.Add(""));
  EXPECT_FALSE(list.Add(" \t "));
  EXPECT_FALSE(list.Add("ANNA")); // the same pattern, as far as matching goes
  EXPECT_FALSE(list.Add("Bob\nCarl"));
  EXPECT_FALSE(list.Add("Bob\r"));
  EXPECT_TRUE(list.Add("B*"));
  EXPECT_EQ(list.Patterns(), (Patterns{"Anna", "B*"}));
}

class BuddyStoreTest : public ::testing::Test {
protected:
  ScratchProgramFolder folder;
};

TEST_F(BuddyStoreTest, RoundTripThroughTheSettingsFile) {
  ASSERT_TRUE(EnsureIniFile());
  for (const char* pattern : {"Anna", "*bob*", "J?rg", "\"Quoted\"", "a=b; c", "^1Red", "Zoë"})
    Buddies.Add(pattern);
  const Patterns saved = Buddies.Patterns();
  SaveBuddies();
  Buddies.Clear();
  LoadBuddies();
  EXPECT_EQ(Buddies.Patterns(), saved);

  // Fewer patterns leave no stale keys behind.
  Buddies.Clear();
  Buddies.Add("Carl");
  SaveBuddies();
  LoadBuddies();
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"Carl"}));
  EXPECT_EQ(folder.read("skarvel.ini"), "\n[Buddies]\n0=Carl\n");

  // An empty list leaves no section.
  Buddies.Clear();
  SaveBuddies();
  EXPECT_EQ(folder.read("skarvel.ini"), "\n");
}

TEST_F(BuddyStoreTest, HandEditedSectionsLoadWhatMakesSense) {
  folder.write("skarvel.ini", "[Buddies]\n"
                              "0=Anna\n"
                              "friend = Bob \n"
                              "7=\n"         // empty: skipped
                              "bare key\n"   // no value: skipped
                              "3=anna\n"     // a duplicate: kept once
                              "0=Shadowed\n" // a second "0": the first wins
                              "9=  \n"
                              "x=*\n"
                              "[Other]\n"
                              "0=NotABuddy\n");
  ASSERT_TRUE(EnsureIniFile());
  Buddies.Add("Stale");
  LoadBuddies();
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"Anna", "Bob", "*"}));
}

TEST_F(BuddyStoreTest, NoSectionNoBuddies) {
  folder.write("skarvel.ini", "[Network]\nInterval=1000\n");
  ASSERT_TRUE(EnsureIniFile());
  Buddies.Add("Stale");
  LoadBuddies();
  EXPECT_TRUE(Buddies.Empty());
}

} // namespace
