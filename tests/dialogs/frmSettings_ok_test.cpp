#include <QPushButton>
#include <QTabBar>
#include <QTimer>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <utility>

#include "ModalScript.h"
#include "frmSettingsFixture.h"

namespace {

using namespace std::string_literals;

using Lines = std::vector<std::string>;

class IntervalRefusedTest : public FrmSettingsTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(IntervalRefusedTest, IsRefusedAndNothingIsSaved) {
  Open(kTwoAddresses);
  const std::string before = StoredText();
  ClickDelAnsweringYes();
  Type("edInterval", GetParam());
  TModalScript script;
  script.ThenAccept();
  Click("btOk");
  EXPECT_EQ(script.MessageTexts(), QStringList{"Wrong interval"});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(StoredText(), before);
  EXPECT_EQ(Live().size(), 2u);
  EXPECT_EQ(AppSettings.Interval, 3000);

  // The user's text and edits are still there to correct.
  EXPECT_EQ(Child<QLineEdit>("edInterval").text(), GetParam());
  EXPECT_EQ(Rows().size(), 1u);
  Type("edInterval", "4000");
  Click("btOk");
  EXPECT_TRUE(Accepted());
  EXPECT_EQ(Live().size(), 1u);
  EXPECT_EQ(Stored().ReadInteger("Network", "Interval", 0), 4000);
}

INSTANTIATE_TEST_SUITE_P(Texts, IntervalRefusedTest,
                         ::testing::Values("2,5", "abc", "", "-1", "$FFFFFFFF", "2147483648"));

struct LanguageCase {
  const char* name;
  const char* setting;          // "Language" in the file
  std::vector<const char*> lng; // language files in the program folder
  const char* shown;            // coLang's text at first
  const char* typed;            // what the user leaves there, or null to keep it
  bool accepted;
  bool changed;
};

class LanguageTest : public FrmSettingsTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageTest, ALanguageOtherThanTheCurrentMustNameAFile) {
  const LanguageCase& c = GetParam();
  for (const char* name : c.lng)
    tmp_.write(std::string("home/") + name, "[frmSettings]\n");
  tmp_.write("home/notes.txt", "");
  Open("[Appearance]\nLanguage=" + std::string(c.setting) + "\n" + kTwoAddresses);
  QComboBox& languages = Child<QComboBox>("coLang");
  QStringList listed;
  for (int i = 0; i < languages.count(); ++i)
    listed << languages.itemText(i);
  listed.sort();
  // The dialog grows the setting's file as it translates itself.
  QStringList expected{c.setting};
  for (const char* name : c.lng)
    if (!expected.contains(name))
      expected << name;
  expected.sort();
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(languages.currentText(), c.shown);

  if (c.typed)
    languages.setEditText(c.typed);
  Type("edInterval", "6000");
  TModalScript script;
  if (!c.accepted)
    script.ThenAccept();
  Click("btOk");
  if (c.accepted) {
    EXPECT_TRUE(Accepted());
    EXPECT_EQ(dialog_->LanguageChanged(), c.changed);
    EXPECT_EQ(Stored().ReadString("Appearance", "Language", ""), c.typed ? c.typed : c.setting);
  } else {
    EXPECT_EQ(script.MessageTexts(), QStringList{"Language file not found"});
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_FALSE(Stored().ValueExists("Network", "Interval")) << "nothing saved";
    EXPECT_EQ(AppSettings.Language, c.setting);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LanguageTest,
    ::testing::Values(
        LanguageCase{"ListedAndKept",
                     "Deutsch.lng",
                     {"Deutsch.lng", "Polski.lng"},
                     "Deutsch.lng",
                     nullptr,
                     true,
                     false},
        // A missing file is made by the dialog's translation.
        LanguageCase{"MissingButKept", "English.lng", {}, "English.lng", nullptr, true, false},
        LanguageCase{"ChosenFromTheList",
                     "English.lng",
                     {"Polski.lng"},
                     "English.lng",
                     "Polski.lng",
                     true,
                     true},
        LanguageCase{"ChangedToNoFile",
                     "English.lng",
                     {"Polski.lng"},
                     "English.lng",
                     "Klingon.lng",
                     false,
                     false},
        LanguageCase{"ChangedToNothing", "English.lng", {}, "English.lng", "", false, false},
        // Names are compared exactly, letter case included.
        LanguageCase{
            "OtherLetterCase", "English.lng", {}, "English.lng", "english.lng", false, false}),
    [](const auto& test) { return std::string(test.param.name); });

// Only a language file is taken: the history database typed into the box
// would be read and "grown" as one, a pipe or /dev/zero read without end.
class NoLanguageFileTest
    : public FrmSettingsTest,
      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(NoLanguageFileTest, IsRefusedByNameAndLeftAsItIs) {
  const auto& [name, reason] = GetParam();
  const std::string history = tmp_.write("home/history.db", "SQLite format 3\0\x10\x00"s);
  const std::string fifo = tmp_.file("home/pipe.lng");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", tmp_.path() / "home" / "zero.lng");
  Open(kTwoAddresses);
  Child<QComboBox>("coLang").setEditText(name);
  TModalScript script;
  script.ThenAccept();
  Click("btOk");
  EXPECT_EQ(script.MessageTexts(), QStringList{QString::fromStdString(
                                       "Cannot use the language file " +
                                       tmp_.file(std::string("home/") + name) + ": " + reason)});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(AppSettings.Language, "English.lng");
  EXPECT_EQ(tmp_.read("home/history.db"), "SQLite format 3\0\x10\x00"s);
}

INSTANTIATE_TEST_SUITE_P(Files, NoLanguageFileTest,
                         ::testing::Values(std::pair{"history.db", "not a *.lng file"},
                                           std::pair{"pipe.lng", "not a regular file"},
                                           std::pair{"zero.lng", "not a regular file"}),
                         [](const auto& test) {
                           return std::string(test.param.first).substr(0, 4);
                         });

TEST_F(FrmSettingsTest, ALanguageFileDeletedMeanwhileIsRefused) {
  tmp_.write("home/Polski.lng", "");
  Open(kTwoAddresses);
  QComboBox& languages = Child<QComboBox>("coLang");
  languages.setCurrentIndex(languages.findText(QStringLiteral("Polski.lng")));
  ASSERT_EQ(languages.currentText(), "Polski.lng");
  std::filesystem::remove(tmp_.file("home/Polski.lng"));
  TModalScript script;
  script.ThenAccept();
  Click("btOk");
  EXPECT_EQ(script.MessageTexts(), QStringList{"Language file not found"});
  EXPECT_TRUE(dialog_->isVisible());
}

TEST_F(FrmSettingsTest, AFileThatCannotBeWrittenKeepsTheDialogOpenWithEveryEdit) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3", "Added")};
  Click("btAdd");
  List().topLevelItem(0)->setCheckState(0, Qt::Unchecked);
  Child<QTabBar>("tcGames").setCurrentIndex(3);
  Type("edExe", "/usr/games/q3");
  Type("edInterval", "8000");
  Click("chStat");
  Click("chAutostart");
  const std::string before = StoredText();

  // The program folder is gone: the file can be neither replaced nor made.
  std::filesystem::rename(Home(), tmp_.file("away"));
  TModalScript script;
  script.ThenAccept();
  Click("btOk");
  EXPECT_EQ(script.MessageTexts(),
            QStringList{QString::fromStdString("Unable to write to " + IniFile())});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(Rows(),
            (Lines{"127.0.0.1:7790 u4 Lan off", "127.0.0.2 q3 off", "127.0.0.3 ut Added on"}));
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "/usr/games/q3");
  EXPECT_EQ(Child<QLineEdit>("edInterval").text(), "8000");
  EXPECT_TRUE(Child<QCheckBox>("chStat").isChecked());
  // The live lists still match the file.
  EXPECT_EQ(Live(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
  EXPECT_EQ(games_.Items(3).Executable, "ioquake3");
  EXPECT_FALSE(std::filesystem::exists(AutostartEntry()));

  std::filesystem::rename(tmp_.file("away"), Home());
  EXPECT_EQ(StoredText(), before);
  Click("btOk");
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Live(),
            (Lines{"127.0.0.1:7790 u4 Lan off", "127.0.0.2 q3 off", "127.0.0.3 ut Added on"}));
  EXPECT_EQ(StoredAddresses(),
            (std::vector<std::string>{"127.0.0.1:7790,u4=0,Lan,,,", "127.0.0.2,q3=0,,,,",
                                      "127.0.0.3,ut=1,Added,,,"}));
  const TIniFile ini = Stored();
  EXPECT_EQ(ini.ReadRawString("Game", "q3", ""), "/usr/games/q3 +connect %1");
  EXPECT_EQ(ini.ReadInteger("Network", "Interval", 0), 8000);
  EXPECT_EQ(ini.ReadString("Network", "Stats", ""), "1");
  EXPECT_TRUE(std::filesystem::exists(AutostartEntry()));
  EXPECT_EQ(script.Unanswered(), 0);
}

TEST_F(FrmSettingsTest, CancelChangesNothingAndTheNextShowingStartsAfresh) {
  Open(kTwoAddresses);
  const std::string before = StoredText();
  edits_ = {EditTo("127.0.0.3")};
  Click("btAdd");
  SelectRow(0);
  Click("btDown");
  List().topLevelItem(2)->setCheckState(0, Qt::Unchecked);
  Child<QTabBar>("tcGames").setCurrentIndex(1);
  Type("edExe", "/opt/ut2004");
  Child<QTabBar>("tcGames").setCurrentIndex(0);
  Type("edInterval", "1");
  Click("chAutostart");
  Click("btCancel");

  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(StoredText(), before);
  EXPECT_EQ(Live(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
  EXPECT_EQ(games_.Items(1).Executable, "ut2004");
  EXPECT_EQ(AppSettings.Interval, 3000);
  EXPECT_FALSE(std::filesystem::exists(AutostartEntry()));

  dialog_->show();
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
  EXPECT_EQ(Child<QLineEdit>("edInterval").text(), "3000");
  EXPECT_FALSE(Child<QCheckBox>("chAutostart").isChecked());
  Child<QTabBar>("tcGames").setCurrentIndex(1);
  EXPECT_EQ(Child<QLineEdit>("edExe").text(), "ut2004");

  // Esc is Cancel too.
  QTest::keyClick(&List(), Qt::Key_Escape);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(StoredText(), before);
}

TEST_F(FrmSettingsTest, OkWaitsForThePollCycleInProgress) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3")};
  Click("btAdd");
  bool polling = true;
  dialog_->Polling = [&polling] { return polling; };

  // What the user sees while the cycle runs; its last step ends it.
  bool okDisabled = false, cancelDisabled = false, stillOpen = false, savedEarly = true;
  Lines liveMeanwhile;
  QTimer::singleShot(0, dialog_.get(), [&] {
    okDisabled = !Child<QPushButton>("btOk").isEnabled();
    cancelDisabled = !Child<QPushButton>("btCancel").isEnabled();
    QTest::keyClick(&List(), Qt::Key_Escape); // no way out while it waits
    stillOpen = dialog_->isVisible();
    savedEarly = Stored().SectionExists("Network");
    liveMeanwhile = Live();
    QTimer::singleShot(0, dialog_.get(), [&polling] { polling = false; });
  });
  Click("btOk");

  EXPECT_TRUE(okDisabled);
  EXPECT_TRUE(cancelDisabled);
  EXPECT_TRUE(stillOpen);
  EXPECT_FALSE(savedEarly);
  EXPECT_EQ(liveMeanwhile.size(), 2u) << "the live list is replaced only after the cycle";
  EXPECT_TRUE(Accepted());
  EXPECT_EQ(Live().size(), 3u);
  EXPECT_TRUE(Child<QPushButton>("btCancel").isEnabled());
}

// A long cycle that steps on events: it ends after its last step, or at the
// next step once paused.
class LongCycle {
public:
  explicit LongCycle(int steps) : left_(steps) {
    QObject::connect(&step_, &QTimer::timeout, [this] {
      ++taken_;
      if (paused_ || --left_ == 0)
        step_.stop();
    });
    step_.start(0);
  }
  bool Polling() const { return step_.isActive(); }
  void Pause() { paused_ = true; }
  void Resume() { ++resumes_; }
  int Taken() const { return taken_; }
  int Resumes() const { return resumes_; }

private:
  QTimer step_;
  int left_;
  int taken_ = 0;
  bool paused_ = false;
  int resumes_ = 0;
};

void WireTo(TfrmSettings& dialog, LongCycle& cycle) {
  dialog.Polling = [&cycle] { return cycle.Polling(); };
  dialog.PausePolling = [&cycle] { cycle.Pause(); };
  dialog.ResumePolling = [&cycle] { cycle.Resume(); };
}

TEST_F(FrmSettingsTest, OkEndsTheCycleAtItsNextStepThenCommits) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3")};
  Click("btAdd");
  LongCycle cycle(1000);
  WireTo(*dialog_, cycle);

  Click("btOk");
  EXPECT_LE(cycle.Taken(), 2) << "OK waited for the whole cycle";
  EXPECT_TRUE(Accepted());
  EXPECT_EQ(Live().size(), 3u);
  EXPECT_EQ(cycle.Resumes(), 0) << "the owner resumes once it has applied the settings";
}

TEST_F(FrmSettingsTest, AnOkRefusedAfterThePauseLetsThePollGoOn) {
  Open(kTwoAddresses);
  Type("edInterval", "2,5");
  LongCycle cycle(1000);
  WireTo(*dialog_, cycle);

  TModalScript script;
  script.ThenAccept();
  Click("btOk");
  EXPECT_EQ(script.MessageTexts(), QStringList{"Wrong interval"});
  EXPECT_TRUE(dialog_->isVisible());
  EXPECT_EQ(cycle.Resumes(), 1);
}

// Takes the request to end the program away from the application, so the
// test goes on; whoever watched for it has seen it.
class SwallowQuit : public QObject {
public:
  SwallowQuit() { QCoreApplication::instance()->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    return watched == QCoreApplication::instance() && event->type() == QEvent::Quit;
  }
};

TEST_F(FrmSettingsTest, TheEndOfTheProgramDoesNotWaitForTheCycle) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3")};
  Click("btAdd");
  const std::string before = StoredText();
  LongCycle cycle(1000);
  dialog_->Polling = [&cycle] { return cycle.Polling(); }; // a cycle that will not pause
  const SwallowQuit swallow;
  QTimer::singleShot(0, [] {
    QEvent quit(QEvent::Quit); // what SIGTERM and the end of the session send
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
  });

  Click("btOk");
  EXPECT_LT(cycle.Taken(), 1000);
  EXPECT_FALSE(dialog_->isVisible());
  EXPECT_EQ(dialog_->result(), QDialog::Rejected);
  EXPECT_EQ(StoredText(), before);
  EXPECT_EQ(Live().size(), 2u);
}

TEST_F(FrmSettingsTest, OkCommitsNewAddressesAgainstTheLiveRegistry) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3")};
  Click("btAdd");
  Click("btOk");
  ASSERT_TRUE(Accepted());
  // The working registry is gone with the dialog's close; the address's is the live one.
  EXPECT_EQ(&addresses_.Items(2).Registry(), &games_);
  dialog_.reset();
  EXPECT_EQ(addresses_.Items(2).RegistryGame().Defs.Key, "ut");
}

} // namespace
