#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "config/IniFile.h"
#include "tests/support/TempDir.h"
#include "util/datetime.h"

namespace {

class IniFileTest : public ::testing::Test {
protected:
  TIniFile Load(const std::string& content) {
    tmp.write("t.ini", content);
    return TIniFile(tmp.file("t.ini"));
  }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.path()))
      names.push_back(entry.path().filename().string());
    return names;
  }

  TempDir tmp;
};

ino_t InodeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_ino;
}

TEST_F(IniFileTest, ReadStringFollowsTheReadingRules) {
  TIniFile ini = Load("[Net]\n"
                      "Plain=abc\n"
                      "  Spaced \t=  \t padded value \t \n"
                      "Double=\"quoted value\"\n"
                      "Single='single'\n"
                      "Padded=  \" inner blanks \"  \n"
                      "Mismatch=\"half'\n"
                      "OneQuote=\"\n"
                      "Twice=\"\"x\"\"\n"
                      "Inner=a \"b\" c\n"
                      "Empty=\n"
                      "EmptyQuotes=\"\"\n"
                      "Equals=a=b\n"
                      "[Other]\n"
                      "Plain=other\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Net", "Plain", "abc"},
      {"NET", "pLAIN", "abc"},
      {"net", "spaced", "padded value"},
      {"Net", "Double", "quoted value"},
      {"Net", "Single", "single"},
      {"Net", "Padded", " inner blanks "},
      {"Net", "Mismatch", "\"half'"},
      {"Net", "OneQuote", "\""},
      {"Net", "Twice", "\"x\""},
      {"Net", "Inner", "a \"b\" c"},
      {"Net", "Empty", ""},
      {"Net", "EmptyQuotes", ""},
      {"Net", "Equals", "a=b"},
      {"Other", "Plain", "other"},
      {"Net", "Missing", "<fallback>"},
      {"Nowhere", "Plain", "<fallback>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<fallback>"), c.expected);
  }
  EXPECT_TRUE(ini.ValueExists("net", "EMPTY"));
  EXPECT_FALSE(ini.ValueExists("Net", "Missing"));
  EXPECT_TRUE(ini.SectionExists("other"));
  EXPECT_FALSE(ini.SectionExists("Nowhere"));
  EXPECT_FALSE(ini.Modified());
}

TEST_F(IniFileTest, IntegersAndBooleansFollowTheIntegerTextRule) {
  struct Case {
    const char* raw;  // text after "K=" in the file
    int32_t integer;  // with fallback 7
    bool boolIfTrue;  // with fallback true
    bool boolIfFalse; // with fallback false
  };
  const Case cases[] = {
      {"1", 1, true, true},          {"0", 0, false, false},
      {"2", 2, false, false},        {"-5", -5, false, false},
      {"0x10", 16, false, false},    {"$1F", 31, false, false},
      {"x1", 1, true, true},         {"0X1", 1, true, true},
      {"12 ", 12, false, false},     // trailing blanks are trimmed by the reader
      {"\" 12\"", 12, false, false}, // leading blanks allowed by the integer rule
      {"\"12 \"", 7, true, false},   // but nothing may follow the digits
      {"\"1\"", 1, true, true},      {"yes", 7, true, false},
      {"true", 7, true, false},      {"", 7, true, false},
      {"12abc", 7, true, false},     {"99999999999", 7, true, false},
  };
  std::string content = "[S]\n";
  for (size_t i = 0; i < std::size(cases); ++i)
    content += "K" + std::to_string(i) + "=" + cases[i].raw + "\n";
  TIniFile ini = Load(content);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string key = "K" + std::to_string(i);
    SCOPED_TRACE(key + "=" + cases[i].raw);
    EXPECT_EQ(ini.ReadInteger("s", key, 7), cases[i].integer);
    EXPECT_EQ(ini.ReadBool("s", key, true), cases[i].boolIfTrue);
    EXPECT_EQ(ini.ReadBool("s", key, false), cases[i].boolIfFalse);
  }
  EXPECT_EQ(ini.ReadInteger("S", "Missing", 7), 7);
  EXPECT_TRUE(ini.ReadBool("S", "Missing", true));
  EXPECT_FALSE(ini.ReadBool("S", "Missing", false));
}

TEST_F(IniFileTest, DatesKeepTheDayOnlyAndMalformedOnesGiveTheFallback) {
  TIniFile ini = Load("[D]\nBad=not a date\nEmpty=\n");
  const TDateTime fallback = 40000;
  ini.WriteDate("D", "When", 45000.75);
  EXPECT_EQ(ini.ReadString("D", "When", ""), DateToStr(45000));
  EXPECT_EQ(ini.ReadDate("D", "When", fallback), 45000.0);
  EXPECT_EQ(ini.ReadDate("D", "Bad", fallback), fallback);
  EXPECT_EQ(ini.ReadDate("D", "Empty", fallback), fallback);
  EXPECT_EQ(ini.ReadDate("D", "Missing", fallback), fallback);
}

TEST_F(IniFileTest, MalformedFileLoadsAndEveryLineSurvivesASave) {
  const std::string longValue(100000, 'v');
  const std::string binaryLine("\x01\x02\0\xfe\xff", 5);
  const std::string original = "; leading comment\n"
                               "Orphan=before any section\n"
                               "[Main]\n"
                               "Key=first\n"
                               "garbage line without equals sign\n" +
                               binaryLine + "\n" + "Bin=a" + std::string(1, '\0') + "b\n" +
                               "=no key\n"
                               "# Hashed=comment\n"
                               "KEY=second\n"
                               "Number=12abc\n"
                               "Long=" +
                               longValue +
                               "\n"
                               "\n"
                               "[main]\n"
                               "Key=third\n"
                               "Extra=only in the duplicate\n"
                               "[Broken\n"
                               "Open=yes\n"
                               "  [  Spaced  ] trailing\n"
                               "Name=v\n"
                               "]not a section[\n";
  TIniFile ini = Load(original);

  EXPECT_EQ(ini.Text(), original);
  EXPECT_EQ(ini.ReadString("Main", "Key", ""), "first");
  EXPECT_EQ(ini.ReadString("MAIN", "Bin", ""), std::string("a\0b", 3));
  EXPECT_EQ(ini.ReadString("Main", "Long", ""), longValue);
  EXPECT_EQ(ini.ReadString("Main", "Extra", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Main", "Hashed", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Main", "", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Main", "Number", 9), 9);
  EXPECT_EQ(ini.ReadString("", "Orphan", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Broken", "Open", ""), "yes");
  EXPECT_EQ(ini.ReadString("spaced", "Name", ""), "v");
  EXPECT_EQ(ini.ReadString("Spaced", "]not a section[", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Main", "Broken", "Spaced"}));
  // Lines without "=" are keys without a value.
  EXPECT_EQ(ini.ReadSection("main"),
            (std::vector<std::string>{"Key", "garbage line without equals sign", binaryLine, "Bin",
                                      "Number", "Long"}));

  ini.WriteString("Main", "Added", "x");
  ini.UpdateFile();
  std::string expected = original;
  const std::string afterLong = "Long=" + longValue + "\n";
  expected.insert(expected.find(afterLong) + afterLong.size(), "Added=x\n");
  EXPECT_EQ(tmp.read("t.ini"), expected);

  TIniFile reloaded(tmp.file("t.ini"));
  EXPECT_EQ(reloaded.Text(), expected);
  EXPECT_EQ(reloaded.ReadString("Main", "Long", ""), longValue);
  EXPECT_EQ(reloaded.ReadString("Main", "Added", ""), "x");
}

TEST_F(IniFileTest, ALineWithoutEqualsIsAKeyWithoutAValue) {
  // As the profile functions read it: listed with the section's keys, its
  // value is the caller's default, and a write gives it a value in place.
  const std::string original = "bare before any section\n"
                               "[Address]\n"
                               "127.0.0.1,q3\n"
                               "  10.0.0.1:7778,ut \t\n"
                               "; 10.0.0.2,ut\n"
                               "# 10.0.0.3,ut\n"
                               "\n"
                               "   \n"
                               "10.0.0.4,ut=0\n"
                               "10.0.0.4,ut\n";
  TIniFile ini = Load(original);
  EXPECT_EQ(ini.ReadSection("address"),
            (std::vector<std::string>{"127.0.0.1,q3", "10.0.0.1:7778,ut", "10.0.0.4,ut"}));
  EXPECT_TRUE(ini.ValueExists("Address", "10.0.0.1:7778,UT"));
  EXPECT_EQ(ini.ReadString("Address", "127.0.0.1,q3", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadRawString("Address", "127.0.0.1,q3", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadInteger("Address", "127.0.0.1,q3", 7), 7);
  EXPECT_EQ(ini.ReadRawString("Address", "10.0.0.4,ut", "dflt"), "0"); // the first one counts
  EXPECT_FALSE(ini.ValueExists("", "bare before any section"));
  EXPECT_EQ(ini.Text(), original);

  ini.WriteString("ADDRESS", "127.0.0.1,Q3", "1,,,,");
  ini.WriteString("Address", "10.0.0.1:7778,ut", "");
  EXPECT_EQ(ini.Text(), "bare before any section\n"
                        "[Address]\n"
                        "127.0.0.1,q3=1,,,,\n"
                        "10.0.0.1:7778,ut=\n"
                        "; 10.0.0.2,ut\n"
                        "# 10.0.0.3,ut\n"
                        "\n"
                        "   \n"
                        "10.0.0.4,ut=0\n"
                        "10.0.0.4,ut\n");
  EXPECT_EQ(ini.ReadRawString("Address", "10.0.0.1:7778,ut", "dflt"), "");
}

TEST_F(IniFileTest, EntriesAreTheListedKeysWithTheirRawValues) {
  TIniFile ini = Load("[Address]\n"
                      "  a,q3 = \"1,Quoted\" \t\n"
                      "bare,ut\n"
                      "; c,ut=comment\n"
                      "A,Q3=repeat\n"
                      "empty,ut=\n"
                      "[Other]\n"
                      "x=other\n"
                      "[address]\n"
                      "late,ut=second section of the name\n");
  const auto entries = [&ini](const std::string& section) {
    std::vector<std::string> listed;
    ini.ForEachEntry(section, [&listed](const TIniEntry& entry) {
      listed.push_back(std::string(entry.Key) + "|" + std::string(entry.Value));
    });
    return listed;
  };
  // What ReadSection lists, valued as ReadRawString reads each name.
  const std::vector<std::string> expected{"a,q3|\"1,Quoted\"", "bare,ut|", "empty,ut|"};
  EXPECT_EQ(entries("ADDRESS"), expected);
  std::vector<std::string> byLookUp;
  for (const std::string& key : ini.ReadSection("Address"))
    byLookUp.push_back(key + "|" + ini.ReadRawString("Address", key, ""));
  EXPECT_EQ(byLookUp, expected);
  EXPECT_EQ(ini.KeyCount("address"), 3u);
  EXPECT_TRUE(entries("Missing").empty());
  EXPECT_EQ(ini.KeyCount("Missing"), 0u);

  // Views handed out earlier outlive the writes that replace their lines.
  std::vector<TIniEntry> kept;
  ini.ForEachEntry("Address", [&kept](const TIniEntry& entry) { kept.push_back(entry); });
  ini.WriteString("Address", "a,q3", "2");
  ini.WriteString("Address", "new,ut", "3");
  ini.DeleteKey("Address", "empty,ut");
  EXPECT_EQ(kept[0].Key, "a,q3");
  EXPECT_EQ(kept[0].Value, "\"1,Quoted\"");
  EXPECT_EQ(entries("Address"), (std::vector<std::string>{"a,q3|2", "bare,ut|", "new,ut|3"}));
  EXPECT_EQ(ini.KeyCount("Address"), 3u);
}

TEST_F(IniFileTest, AcceptsCrLfAndAMissingFinalLineEnd) {
  TIniFile crlf = Load("[A]\r\nK= v \r\nL=w\r\n");
  EXPECT_EQ(crlf.ReadString("A", "K", ""), "v");
  EXPECT_EQ(crlf.ReadString("A", "L", ""), "w");
  crlf.WriteString("A", "L", "x");
  EXPECT_EQ(crlf.Text(), "[A]\nK= v \nL=x\n");

  TIniFile unterminated = Load("[A]\nK=last");
  EXPECT_EQ(unterminated.ReadString("A", "K", ""), "last");
}

// Editors on Windows start a UTF-8 file with a byte order mark; it hid the
// first section, whose keys were then read as missing. It stays on a save.
TEST_F(IniFileTest, AByteOrderMarkDoesNotHideTheFirstSection) {
  TIniFile ini = Load("\xEF\xBB\xBF[frmMain]\nCaption=Server\n[B]\nK=v\n");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"frmMain", "B"}));
  EXPECT_EQ(ini.ReadString("frmMain", "Caption", ""), "Server");
  ini.WriteString("frmMain", "Added", "x");
  EXPECT_EQ(ini.Text(), "\xEF\xBB\xBF[frmMain]\nCaption=Server\nAdded=x\n[B]\nK=v\n");
}

TEST_F(IniFileTest, MissingFileIsEmptyAndCanBeCreated) {
  TIniFile ini(tmp.file("absent.ini"));
  EXPECT_EQ(ini.Text(), "");
  EXPECT_TRUE(ini.ReadSections().empty());
  ini.UpdateFile(); // nothing changed: nothing written
  EXPECT_FALSE(tmp.exists("absent.ini"));

  ini.WriteInteger("N", "I", -5);
  ini.UpdateFile();
  EXPECT_EQ(tmp.read("absent.ini"), "[N]\nI=-5\n");
}

TEST_F(IniFileTest, WritesEditTheTextInPlace) {
  struct Case {
    const char* name;
    const char* before;
    std::function<void(TIniFile&)> edit;
    const char* after;
  };
  const Case cases[] = {
      {"replace keeps the key's spelling and place", "[Net]\n  Interval = 10\nOther=1\n",
       [](TIniFile& ini) { ini.WriteString("NET", "interval", "20"); },
       "[Net]\nInterval=20\nOther=1\n"},
      {"replace changes only the first duplicate", "[A]\nK=1\nK=2\n[a]\nK=3\n",
       [](TIniFile& ini) { ini.WriteString("a", "k", "9"); }, "[A]\nK=9\nK=2\n[a]\nK=3\n"},
      {"new key goes after the last key, before blank lines", "[A]\nK=1\n\n; about B\n[B]\nX=1\n",
       [](TIniFile& ini) { ini.WriteString("a", "New", "2"); },
       "[A]\nK=1\nNew=2\n\n; about B\n[B]\nX=1\n"},
      {"new key in a section without keys follows its header", "[A]\n; about B\n[B]\n",
       [](TIniFile& ini) { ini.WriteString("A", "New", "2"); }, "[A]\nNew=2\n; about B\n[B]\n"},
      {"new section goes to the end", "\n[A]\nK=1\n",
       [](TIniFile& ini) { ini.WriteString("C", "K", "v"); }, "\n[A]\nK=1\n[C]\nK=v\n"},
      {"line breaks in names and values become blanks", "",
       [](TIniFile& ini) { ini.WriteString("S\r\nT", "K\nY", "a\r\nb\n"); }, "[S  T]\nK Y=a  b \n"},
      {"integers are decimal, booleans 1 and 0", "",
       [](TIniFile& ini) {
         ini.WriteInteger("N", "I", -2147483647 - 1);
         ini.WriteBool("N", "T", true);
         ini.WriteBool("N", "F", false);
       },
       "[N]\nI=-2147483648\nT=1\nF=0\n"},
      {"erase removes every section of the name with its lines",
       "top\n[A]\nK=1\n; c\n[B]\nX=1\n[a]\nK=2\n", [](TIniFile& ini) { ini.EraseSection("A"); },
       "top\n[B]\nX=1\n"},
      {"delete removes the key's duplicates in the first section only",
       "[A]\nK=1\nL=2\nk=3\n[A]\nK=4\n", [](TIniFile& ini) { ini.DeleteKey("a", "K"); },
       "[A]\nL=2\n[A]\nK=4\n"},
      {"an empty key name is not written", "[A]\n",
       [](TIniFile& ini) { ini.WriteString("A", " ", "v"); }, "[A]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TIniFile ini = Load(c.before);
    c.edit(ini);
    EXPECT_EQ(ini.Text(), c.after);
  }
}

TEST_F(IniFileTest, ModifiedTracksUnsavedChanges) {
  TIniFile ini = Load("[A]\nK=1\n");
  ini.ReadString("A", "K", "");
  ini.DeleteKey("A", "Missing");
  ini.EraseSection("Missing");
  EXPECT_FALSE(ini.Modified());
  ini.WriteString("A", "K", "2");
  EXPECT_TRUE(ini.Modified());
  ini.UpdateFile();
  EXPECT_FALSE(ini.Modified());
  EXPECT_EQ(tmp.read("t.ini"), "[A]\nK=2\n");
}

TEST_F(IniFileTest, UpdateReplacesTheFileAtomicallyKeepingItsPermissions) {
  TIniFile ini = Load("[A]\nK=1\n");
  const std::string path = tmp.file("t.ini");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  const ino_t before = InodeOf(path);

  ini.WriteString("A", "K", "2");
  ini.UpdateFile();

  EXPECT_NE(InodeOf(path), before); // a new file renamed over, not rewritten in place
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(tmp.read("t.ini"), "[A]\nK=2\n");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"t.ini"});
}

TEST_F(IniFileTest, RefusedWriteRaisesAndLeavesNoTrace) {
  // Both failures hold even for root, which permission bits do not stop.
  std::filesystem::create_directory(tmp.path() / "dir.ini");
  const std::string paths[] = {tmp.file("dir.ini"), tmp.file("no-such-folder/t.ini")};
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    TIniFile ini(path);
    ini.WriteString("A", "K", "v");
    try {
      ini.UpdateFile();
      ADD_FAILURE() << "no error";
    } catch (const EIniWriteError& e) {
      EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_TRUE(ini.Modified());
    EXPECT_EQ(ini.ReadString("A", "K", ""), "v");
  }
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"dir.ini"});
  EXPECT_TRUE(std::filesystem::is_empty(tmp.path() / "dir.ini"));
}

TEST_F(IniFileTest, RefusedWriteInReadOnlyFolderKeepsTheOldFile) {
  const std::string original = "[A]\r\nK=1\r\n; note\r\n";
  TIniFile ini = Load(original);
  ASSERT_EQ(chmod(tmp.path().c_str(), 0555), 0);
  if (FILE* probe = fopen(tmp.file("probe").c_str(), "w")) {
    fclose(probe);
    GTEST_SKIP() << "permission bits do not stop this user";
  }
  ini.WriteString("A", "K", "2");
  EXPECT_THROW(ini.UpdateFile(), EIniWriteError);
  EXPECT_EQ(tmp.read("t.ini"), original);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"t.ini"});
}

TEST_F(IniFileTest, AFileThatCannotBeReadIsNeverReplaced) {
  const std::string original = "[Address]\n10.0.0.5,ut=1\n";
  tmp.write("t.ini", original);
  ASSERT_EQ(chmod(tmp.file("t.ini").c_str(), 0), 0);
  if (FILE* probe = fopen(tmp.file("t.ini").c_str(), "r")) {
    fclose(probe);
    GTEST_SKIP() << "permission bits do not stop this user";
  }
  TIniFile ini(tmp.file("t.ini"));
  EXPECT_FALSE(ini.SectionExists("Address"));
  ini.WriteString("Common", "Version", "2.5");
  EXPECT_THROW(ini.UpdateFile(), EIniWriteError);
  ASSERT_EQ(chmod(tmp.file("t.ini").c_str(), 0644), 0);
  EXPECT_EQ(tmp.read("t.ini"), original);
}

TEST_F(IniFileTest, LookUpsIgnoreCaseAndTakeTheFirstOfRepeatedNames) {
  // Enough keys that the index grows several times while the file is read.
  std::string content = "[Many]\n";
  for (int i = 0; i < 3000; ++i)
    content += "Key" + std::to_string(i) + "=v" + std::to_string(i) + "\n";
  content += "KEY7=later\nkey2999=later\n[many]\nKey1=second section\nOnly=second section\n"
             "[Other]\nkey7=other\n";
  TIniFile ini = Load(content);
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"MANY", "kEy7", "v7"},         {"many", "KEY2999", "v2999"}, {"Many", "key0", "v0"},
      {"mAnY", "Key1", "v1"},         {"Many", "Only", "<none>"},   {"OTHER", "KEY7", "other"},
      {"Many", "Key3000", "<none>"},  {"Many", "Key", "<none>"},    {"Many", "Key7 ", "<none>"},
      {"Other", "key2999", "<none>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "<none>"), c.expected);
  }
  const std::vector<std::string> keys = ini.ReadSection("MANY");
  ASSERT_EQ(keys.size(), 3000u); // the repeats in either spelling are not listed again
  EXPECT_EQ(keys[7], "Key7");
  EXPECT_EQ(keys[2999], "Key2999");
  EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Many", "Other"}));
  EXPECT_EQ(ini.Text(), content);
}

TEST_F(IniFileTest, LookUpsStayRightAfterEditsMoveLinesAndSections) {
  const std::string original = "[A]\nK=a\nDup=1\nL=a2\nDup=2\n\n; about B\n"
                               "[B]\nK=b\n[C]\nK=c\n[a]\nK=late\n";
  struct Case {
    const char* name;
    std::function<void(TIniFile&)> edit;
    std::vector<std::pair<std::string, std::string>> reads; // "section/key", value
    const char* text;
  };
  const Case cases[] = {
      {"an erased section no longer hides the ones after it",
       [](TIniFile& ini) { ini.EraseSection("b"); },
       {{"C/K", "c"}, {"B/K", "-"}, {"A/L", "a2"}},
       "[A]\nK=a\nDup=1\nL=a2\nDup=2\n\n; about B\n[C]\nK=c\n[a]\nK=late\n"},
      {"an erased name made again is a new section at the end",
       [](TIniFile& ini) {
         ini.EraseSection("A");
         ini.WriteString("a", "New", "n");
       },
       {{"A/New", "n"}, {"A/K", "-"}, {"B/K", "b"}, {"C/K", "c"}},
       "[B]\nK=b\n[C]\nK=c\n[a]\nNew=n\n"},
      {"a deleted key's repeats go; the keys after it are still found",
       [](TIniFile& ini) {
         ini.DeleteKey("A", "dup");
         ini.WriteString("A", "Dup", "3");
       },
       {{"A/Dup", "3"}, {"A/L", "a2"}, {"A/K", "a"}},
       "[A]\nK=a\nL=a2\nDup=3\n\n; about B\n[B]\nK=b\n[C]\nK=c\n[a]\nK=late\n"},
      {"deleting the last key moves the place of new keys up",
       [](TIniFile& ini) {
         ini.DeleteKey("A", "Dup");
         ini.DeleteKey("A", "L");
         ini.WriteString("A", "M", "m");
       },
       {{"A/M", "m"}, {"A/K", "a"}},
       "[A]\nK=a\nM=m\n\n; about B\n[B]\nK=b\n[C]\nK=c\n[a]\nK=late\n"},
      {"added keys are found, and the first of a repeat is the one replaced",
       [](TIniFile& ini) {
         for (int i = 0; i < 100; ++i)
           ini.WriteString("A", "N" + std::to_string(i), std::to_string(i));
         ini.WriteString("A", "DUP", "x");
       },
       {{"A/n99", "99"}, {"A/N0", "0"}, {"A/Dup", "x"}, {"A/K", "a"}},
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TIniFile ini = Load(original);
    c.edit(ini);
    for (const auto& [where, value] : c.reads) {
      const std::size_t slash = where.find('/');
      EXPECT_EQ(ini.ReadString(where.substr(0, slash), where.substr(slash + 1), "-"), value)
          << where;
    }
    if (c.text) {
      EXPECT_EQ(ini.Text(), c.text);
    }
  }
}

TEST_F(IniFileTest, AMovedStoreKeepsItsText) {
  // A short file lies inside a string object; the store must not point there.
  TIniFile source = Load("[A]\nK=1\n");
  source.WriteString("A", "L", "2");
  TIniFile moved(std::move(source));
  EXPECT_EQ(moved.ReadString("A", "K", ""), "1");
  EXPECT_EQ(moved.ReadString("a", "l", ""), "2");
  TIniFile assigned = Load("[B]\n");
  assigned = std::move(moved);
  EXPECT_EQ(assigned.Text(), "[A]\nK=1\nL=2\n");
}

// Empty when the texts are equal, else where they part: a failure on
// megabytes of text must not print (or diff) all of it.
std::string WhereTextsDiffer(const std::string& actual, const std::string& expected) {
  const auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
  if (a == actual.end() && e == expected.end())
    return "";
  const std::size_t at = static_cast<std::size_t>(a - actual.begin());
  const std::size_t from = at > 40 ? at - 40 : 0;
  return "byte " + std::to_string(at) + ": actual \"" + actual.substr(from, 80) +
         "\", expected \"" + expected.substr(from, 80) + "\"";
}

TEST_F(IniFileTest, BigFileRoundTripKeepsEveryByteAndEveryEdit) {
  // 100,000 addresses, each also a known server, with comments and a repeat
  // in another spelling; then a save that rewrites one section as the
  // address list does and edits the other.
  std::string addresses, servers;
  for (int i = 0; i < 100000; ++i) {
    const std::string host = "127." + std::to_string(i / 62500) + "." +
                             std::to_string(i / 250 % 250) + "." + std::to_string(i % 250 + 1);
    addresses += host + ":27960,q3=1,Server " + std::to_string(i) + ",,,\n";
    servers += host + ":27960,Q3=Server " + std::to_string(i) + ",,,,0,1,1,0\n";
    if (i % 1000 == 0)
      servers += "; block " + std::to_string(i) + "\n";
  }
  const std::string original = "[Common]\nVersion=2.5\n\n[Address]\n" + addresses +
                               "127.0.0.1:27960,Q3=repeat\n\n[Description]\n" + servers;
  TIniFile ini = Load(original);
  EXPECT_EQ(WhereTextsDiffer(ini.Text(), original), "");
  const std::vector<std::string> keys = ini.ReadSection("address");
  ASSERT_EQ(keys.size(), 100000u);
  EXPECT_EQ(ini.ReadRawString("Address", "127.0.0.1:27960,q3", ""), "1,Server 0,,,");
  EXPECT_EQ(ini.ReadRawString("description", "127.1.149.250:27960,q3", ""),
            "Server 99999,,,,0,1,1,0");

  ini.EraseSection("Address");
  std::string expectedAddresses;
  for (const std::string& key : keys) {
    const std::string value = ini.ReadRawString("Description", key, "");
    ini.WriteString("Address", key, value);
    expectedAddresses += key + "=" + value + "\n";
  }
  ini.WriteString("Description", "127.0.0.2:27960,q3", "renamed");
  ini.WriteString("Description", "127.9.9.9,q3", "new");
  ini.UpdateFile();

  std::string expectedServers = servers;
  const std::string renamed = "127.0.0.2:27960,Q3=";
  const std::size_t at = expectedServers.find(renamed);
  expectedServers.replace(at, expectedServers.find('\n', at) - at, renamed + "renamed");
  const std::string expected = "[Common]\nVersion=2.5\n\n[Description]\n" + expectedServers +
                               "127.9.9.9,q3=new\n[Address]\n" + expectedAddresses;
  EXPECT_EQ(WhereTextsDiffer(tmp.read("t.ini"), expected), "");
  EXPECT_EQ(WhereTextsDiffer(TIniFile(tmp.file("t.ini")).Text(), expected), "");
}

} // namespace
