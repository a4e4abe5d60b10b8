#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "config/LngFile.h"
#include "config/LngIndexedKey.h"
#include "config/MsgINISupp.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/data_folders.h"
#include "util/file_io.h"

namespace {

using namespace std::string_literals;

TEST(LngMessageText, LineBreakMarkers) {
  struct Case {
    std::string stored, shown;
  };
  const std::vector<Case> cases = {
      {"plain text", "plain text"},
      {"one\"#13#10\"two\"#13#10\"", "one\ntwo\n"},
      {"one\"#13#10\"two", "one\n\n"}, // text after the last marker: a break per 7 started
      {"one\"#13#10\"12345678", "one\n\n\n"},
      {"\"abcdefg", "\n"},
      {"one\"ab", "one\n"}, // a short marker takes what is left
      {"\"1234567\xC3\xBC\xC3\xBC\"1234567", "\n\xC3\xBC\xC3\xBC\n"}, // characters, not bytes
      {"\"\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBCok\"1234567", "\nok\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExpandLineBreakMarkers(c.stored), c.shown) << c.stored;
}

TEST(LngIndexedKey, ParsesOnlyKeysOfTheControl) {
  struct Case {
    std::string key;
    std::optional<std::size_t> index;
  };
  const std::vector<Case> cases = {
      {"lvAddr.Columns[1]", 1},
      {"lvAddr.Whatever[2]", 2},
      {"lvAddr.Columns[1x2]", 12}, // every digit after the bracket counts
      {"lvAddr.[0", 0},
      {"lvAddr.Columns[]", std::nullopt},
      {"lvAddr.Columns1", std::nullopt},
      {"lvAddrX.Columns[1]", std::nullopt},
      {"lvaddr.Columns[1]", std::nullopt}, // exact letter case
      {"lvAdd.Columns[1]", std::nullopt},
      {"lvAddr", std::nullopt},
      {"lvAddr.Columns[99999999999999999999999999]", SIZE_MAX},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseIndexedKey(c.key, "lvAddr"), c.index) << c.key;
  EXPECT_EQ(IndexedKey("lvPlayers", "Columns", 1), "lvPlayers.Columns[1]");
  EXPECT_EQ(ParseIndexedKey(IndexedKey("sb", "Panels", 3), "sb"), 3u);
}

class LngFileTest : public ::testing::Test {
protected:
  void TearDown() override { MIS().Close(); }
  ScratchProgramFolder tmp;
};

TEST_F(LngFileTest, GrowsIntoATemplateWithoutOverwriting) {
  std::string path = tmp.write("English.lng", "[frmSettings]\nCHSTAT=Statistik\n");
  TLngFile file(path);
  file.Ensure("frmSettings", "chStat", "Log stats"); // present in another letter case
  file.Ensure("frmSettings", "btOk", "OK");
  file.Ensure("frmAddr", "laPad", "  padded ");
  file.Ensure("frmAddr", "laQuoted", "'quoted'");
  file.Ensure("frmAddr", "laTwoLines", "one\ntwo");
  file.Ensure("", "x", "no section");
  file.Ensure("frmAddr", "", "no key");
  ASSERT_EQ(file.Save(), std::nullopt);

  TLngFile again(path);
  EXPECT_EQ(again.Read("frmSettings", "chStat", "?"), "Statistik");
  EXPECT_EQ(again.Read("frmSettings", "btOk", "?"), "OK");
  EXPECT_EQ(again.Read("frmAddr", "laPad", "?"), "  padded ");
  EXPECT_EQ(again.Read("frmAddr", "laQuoted", "?"), "'quoted'");
  EXPECT_EQ(again.Read("frmAddr", "laTwoLines", "?"), "one two");
  EXPECT_EQ(again.Sections(), (std::vector<std::string>{"frmSettings", "frmAddr"}));
  EXPECT_EQ(again.Keys("frmAddr"), (std::vector<std::string>{"laPad", "laQuoted", "laTwoLines"}));
  EXPECT_EQ(again.Keys("frmSettings"), (std::vector<std::string>{"CHSTAT", "btOk"}));
}

TEST_F(LngFileTest, AMissingFileIsCreatedByTheFirstSave) {
  std::string path = tmp.file("Deutsch.lng");
  TLngFile file(path);
  EXPECT_FALSE(file.Exists());
  EXPECT_EQ(file.Save(), std::nullopt); // nothing to add: nothing written
  EXPECT_FALSE(std::filesystem::exists(path));
  file.Ensure("frmAddr", "Self", "Address");
  EXPECT_EQ(file.Save(), std::nullopt);
  EXPECT_TRUE(file.Exists());
  EXPECT_EQ(TLngFile(path).Read("frmAddr", "Self", "?"), "Address");
}

TEST_F(LngFileTest, AWindows1252FileIsReadAndGrowsAsUtf8) {
  std::string path = tmp.write("Deutsch.lng", "[frmSettings]\r\nchStat=Statistik f\xFCr \x80\r\n");
  TLngFile file(path);
  EXPECT_EQ(file.Read("frmSettings", "chStat", "?"), "Statistik f\xC3\xBCr \xE2\x82\xAC");
  file.Ensure("frmSettings", "btOk",
              "\xC3\x9C"
              "bernehmen");
  ASSERT_EQ(file.Save(), std::nullopt);

  TLngFile again(path);
  EXPECT_EQ(again.Read("frmSettings", "chStat", "?"), "Statistik f\xC3\xBCr \xE2\x82\xAC");
  EXPECT_EQ(again.Read("frmSettings", "btOk", "?"), "\xC3\x9C"
                                                    "bernehmen");
}

// A UTF-8 file with one line pasted from an older Windows-1252 file: each line
// is read in its own encoding, and growing leaves both as they are.
TEST_F(LngFileTest, EachLineIsReadInItsOwnEncodingAndKeptAsItStands) {
  const std::string utf8Line = "btAdd=&Hinzuf\xC3\xBCgen\n";
  const std::string windows1252Line = "btDel=L\xF6schen\n";
  std::string path = tmp.write("Deutsch.lng", "[frmSettings]\n" + utf8Line + windows1252Line);
  TLngFile file(path);
  EXPECT_EQ(file.Read("frmSettings", "btAdd", "?"), "&Hinzuf\xC3\xBCgen");
  EXPECT_EQ(file.Read("frmSettings", "btDel", "?"), "L\xC3\xB6schen");
  file.Ensure("frmSettings", "btOk",
              "\xC3\x9C"
              "bernehmen");
  ASSERT_EQ(file.Save(), std::nullopt);

  EXPECT_EQ(ReadWholeFile(path), "[frmSettings]\n" + utf8Line + windows1252Line +
                                     "btOk=\xC3\x9C"
                                     "bernehmen\n");
  TLngFile again(path);
  EXPECT_EQ(again.Read("frmSettings", "btAdd", "?"), "&Hinzuf\xC3\xBCgen");
  EXPECT_EQ(again.Read("frmSettings", "btDel", "?"), "L\xC3\xB6schen");
}

// UTF-16 with a byte order mark, as Windows editors save it.
std::string Utf16(const std::u16string& text, bool bigEndian) {
  std::string bytes;
  for (const char16_t unit : u"\uFEFF" + text) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST_F(LngFileTest, AUtf16FileIsReadAndGrowsAsUtf16) {
  for (const bool bigEndian : {false, true}) {
    SCOPED_TRACE(bigEndian ? "big-endian" : "little-endian");
    std::string path = tmp.write(
        "Deutsch.lng", Utf16(u"[frmSettings]\r\nbtAdd=&Hinzuf\u00FCgen \U0001F3AE\r\n", bigEndian));
    TLngFile file(path);
    EXPECT_EQ(file.Problem(), std::nullopt);
    EXPECT_EQ(file.Read("frmSettings", "btAdd", "?"), "&Hinzuf\xC3\xBCgen \xF0\x9F\x8E\xAE");
    file.Ensure("frmSettings", "btOk",
                "\xC3\x9C"
                "bernehmen");
    ASSERT_EQ(file.Save(), std::nullopt);

    EXPECT_EQ(ReadWholeFile(path),
              Utf16(u"[frmSettings]\nbtAdd=&Hinzuf\u00FCgen \U0001F3AE\nbtOk=\u00DCbernehmen\n",
                    bigEndian));
  }
}

// Whatever is not a language file is neither taken nor ever written: the
// settings dialog would otherwise "grow" a database into garbage.
TEST_F(LngFileTest, WhatIsNoLanguageFileIsNamedAndNeverWritten) {
  const std::string fifo = tmp.file("pipe.lng");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", tmp.path() / "zero.lng");
  const std::string big = tmp.write("big.lng", "");
  std::filesystem::resize_file(big, kMaxWholeFileSize + 1);
  const struct {
    std::string path, reason;
  } cases[] = {
      {tmp.write("history.db", "SQLite format 3\0[frmMain]\nmnGo=x\n"s), "not a *.lng file"},
      {tmp.write("Binary.lng", "\x00\xFF[\x01]\x00=\xFE\n\x7F\x80\x81\x8D"s), "not a text file"},
      {tmp.write("NoBom.lng", "[\0f\0]\0\n\0"s), "not a text file"}, // UTF-16 without its mark
      {tmp.write("Odd.lng", "\xFF\xFE[\0f\0]"s), "not UTF-16 text, though it starts as such"},
      {tmp.write("Half.lng", "\xFF\xFE[\0\x3D\xD8"s), "not UTF-16 text, though it starts as such"},
      {fifo, "not a regular file"},
      {tmp.file("zero.lng"), "not a regular file"},
      {big, "larger than 64 MiB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const std::optional<std::string> before = ReadWholeFile(c.path);
    TLngFile file(c.path);
    EXPECT_EQ(file.Problem(), "Cannot use the language file " + c.path + ": " + c.reason);
    EXPECT_EQ(file.Read("frmMain", "mnGo", "?"), "?");
    file.Ensure("frmMain", "mnNew", "New");
    EXPECT_EQ(file.Save(), "Unable to write to " + c.path);
    EXPECT_EQ(ReadWholeFile(c.path), before);
  }
  struct stat info {};
  EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
  EXPECT_TRUE(std::filesystem::is_symlink(tmp.path() / "zero.lng"));
}

TEST_F(LngFileTest, AFileThatCannotBeWrittenKeepsItsAdditionsInMemory) {
  struct Case {
    std::string name, path;
  };
  std::filesystem::create_directory(tmp.path() / "folder.lng");
  const std::string readOnly = tmp.write("ReadOnly.lng", "[frmMain]\nmnGo=Los\n");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::group_read |
                                             std::filesystem::perms::others_read);
  const std::vector<Case> cases = {
      {"missing folder", tmp.file("gone/English.lng")},
      {"a folder, not a file", tmp.file("folder.lng")},
      {"a read-only file", readOnly},
  };
  for (const Case& c : cases) {
    TLngFile file(c.path);
    file.Ensure("frmAddr", "btOk", "OK");
    EXPECT_EQ(file.Save(), "Unable to write to " + c.path) << c.name;
    EXPECT_EQ(file.Read("frmAddr", "btOk", "?"), "OK") << c.name;
  }
  EXPECT_EQ(ReadWholeFile(readOnly), "[frmMain]\nmnGo=Los\n"); // even root leaves it alone
}

TEST_F(LngFileTest, BadFilesNeverStopThePrograms) {
  struct Case {
    std::string name, content, section, key, expected;
  };
  const std::string longValue(10000, 'x');
  const std::vector<Case> cases = {
      {"empty", "", "frmAddr", "btOk", "?"},
      {"truncated section line", "[frmAd", "frmAd", "btOk", "?"},
      {"truncated key line", "[frmAddr]\nbtOk=Ja\nbtCan", "frmAddr", "btOk", "Ja"},
      {"duplicate keys: the first counts", "[frmAddr]\nbtOk=Eins\nbtok=Zwei\n", "frmAddr", "btOk",
       "Eins"},
      {"duplicate sections: the first counts", "[frmAddr]\nbtOk=Eins\n[FRMADDR]\nbtOk=Zwei\n",
       "frmAddr", "btOk", "Eins"},
      {"10,000-character value", "[frmAddr]\nbtOk=" + longValue + "\n", "frmAddr", "btOk",
       std::string(TLngFile::kMaxValueLength, 'x')},
      {"keys before any section", "btOk=Ja\n[frmAddr]\n", "frmAddr", "btOk", "?"},
  };
  for (const Case& c : cases) {
    std::string path = tmp.write("Bad.lng", c.content);
    TLngFile file(path);
    EXPECT_EQ(file.Read(c.section, c.key, "?"), c.expected) << c.name;
    for (const std::string& section : file.Sections())
      for (const std::string& key : file.Keys(section))
        file.Read(section, key, "");
    file.Ensure("frmGrown", "laNew", "new");
    EXPECT_EQ(file.Save(), std::nullopt) << c.name;
    TLngFile grown(path);
    EXPECT_EQ(grown.Read("frmGrown", "laNew", "?"), "new") << c.name;
    EXPECT_EQ(grown.Read(c.section, c.key, "?"), c.expected) << c.name;

    MIS().Close();
    MIS().SetFileName(path);
    EXPECT_EQ(Lookup("NoServers", "No servers"), "No servers") << c.name;
  }
}

TEST_F(LngFileTest, OnlyTheNameCountsAndTheProgramFolderComesFirst) {
  TempDir installed;
  SetInstalledFolder(TDataKind::Language, installed.path().string());
  installed.write("Deutsch.lng", "");
  installed.write("English.lng", "");
  tmp.write("English.lng", "");
  const struct {
    std::string setting, expected;
  } cases[] = {
      {"English.lng", tmp.file("English.lng")},
      {"Deutsch.lng", installed.file("Deutsch.lng")},
      {"/elsewhere/lang/Deutsch.lng", installed.file("Deutsch.lng")},
      {"Missing.lng", tmp.file("Missing.lng")}, // where a new file would grow
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LanguageFilePath(c.setting), c.expected) << c.setting;
  // The windows grow only the user's own files; the installed copy is shared.
  EXPECT_TRUE(LanguageFileGrows(tmp.file("English.lng")));
  EXPECT_TRUE(LanguageFileGrows(tmp.file("Missing.lng")));
  EXPECT_FALSE(LanguageFileGrows(installed.file("Deutsch.lng")));
  SetInstalledFolder(TDataKind::Language, "");
}

class MsgINISuppTest : public LngFileTest {
protected:
  void SetUp() override {
    LngFileTest::SetUp();
    mis.SetNotice([this](const std::string& text) { notices.push_back(text); });
  }
  TMsgINISupp mis;
  std::vector<std::string> notices;
};

TEST_F(MsgINISuppTest, LooksUpMessagesWithTheBuiltInTextAsFallback) {
  std::string path = tmp.write("Deutsch.lng", "[Project_Messages]\n"
                                              "NoServers=Keine Server\n"
                                              "NewVersion=\"Neu:\"#13#10\"Weiter?\"#13#10\"\"\n"
                                              "[frmAddr]\nResolveError=not a message\n");
  mis.SetFileName(path);
  EXPECT_EQ(mis.Lookup("NoServers", "No servers"), "Keine Server");
  EXPECT_EQ(mis.Lookup("noservers", "No servers"), "Keine Server");
  EXPECT_EQ(mis.Lookup("NewVersion", "x"), "Neu:\nWeiter?\n");
  EXPECT_EQ(mis.Lookup("ResolveError", "Resolve error"), "Resolve error");
  EXPECT_TRUE(mis.Opened());
  EXPECT_TRUE(notices.empty());
  EXPECT_EQ(TLngFile(path).Keys("Project_Messages"),
            (std::vector<std::string>{"NoServers", "NewVersion"})); // never written
}

TEST_F(MsgINISuppTest, TellsTheUserOnlyAboutAMissingFileOrName) {
  EXPECT_EQ(mis.Lookup("NoServers", "No servers"), "No servers");
  EXPECT_EQ(mis.Lookup("IsOnline", "is online"), "is online"); // not told again
  EXPECT_EQ(notices, (std::vector<std::string>{"ERROR!!!\nFile not preset!"}));

  notices.clear();
  std::string linked = tmp.file("Missing.lng");
  mis.SetLinkedFileName([&] { return linked; });
  EXPECT_EQ(mis.FileName(), linked);
  mis.Close();
  EXPECT_EQ(mis.Lookup("NoServers", "No servers"), "No servers"); // takes the link again
  EXPECT_EQ(mis.FileName(), linked);
  EXPECT_TRUE(mis.Opened());
  EXPECT_EQ(mis.Lookup("IsOnline", "is online"), "is online");
  EXPECT_EQ(notices, (std::vector<std::string>{
                         "WARNING!!!\n Language File Not Found! Its now creating a new!"}));
  EXPECT_FALSE(std::filesystem::exists(linked)); // messages never create the file
}

// The notice's box translates its own buttons: a lookup from inside the
// notice must not open the file again (it recursed until the stack ran out).
TEST_F(MsgINISuppTest, ANoticeThatLooksUpAMessageIsToldOnce) {
  mis.SetNotice([this](const std::string& text) {
    notices.push_back(text);
    mis.Lookup("MsgYes", "&Yes");
  });
  mis.SetFileName(tmp.file("Missing.lng"));
  EXPECT_EQ(mis.Lookup("NoServers", "No servers"), "No servers");
  EXPECT_EQ(notices.size(), 1U);
}

TEST_F(MsgINISuppTest, CloseAndOpenPicksUpANewLanguage) {
  std::string first = tmp.write("A.lng", "[Project_Messages]\nServer=Server\n");
  std::string second = tmp.write("B.lng", "[Project_Messages]\nServer=serveur\n");
  mis.SetFileName(first);
  EXPECT_EQ(mis.Lookup("Server", "server"), "Server");
  mis.Close();
  EXPECT_EQ(mis.FileName(), "");
  mis.SetFileName(second);
  mis.Open();
  EXPECT_EQ(mis.Lookup("Server", "server"), "serveur");
}

} // namespace
