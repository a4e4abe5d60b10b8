#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "FakeDialogServices.h"
#include "ModalScript.h"
#include "dialogs/addr.h"
#include "games/game.h"
#include "model/address.h"
#include "protocols/builtin_games.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kQ3 = 3;
constexpr int32_t kCS = 4;

// Names that resolve, by table; it notes every host it is asked about (on
// the lookup's worker thread).
class TableResolver {
public:
  explicit TableResolver(std::map<std::string, std::string> table)
      : state_(std::make_shared<State>()) {
    state_->table = std::move(table);
  }
  THostResolver Resolver() const {
    return [state = state_](const std::string& host) {
      const std::lock_guard guard(state->lock);
      state->asked.push_back(host);
      const auto found = state->table.find(host);
      return found == state->table.end() ? std::string() : found->second;
    };
  }
  std::vector<std::string> Asked() const {
    const std::lock_guard guard(state_->lock);
    return state_->asked;
  }

private:
  struct State {
    std::mutex lock;
    std::map<std::string, std::string> table;
    std::vector<std::string> asked;
  };
  std::shared_ptr<State> state_;
};

const std::map<std::string, std::string> kNames = {
    {"10.0.0.5", "10.0.0.5"}, {"q3.example", "10.0.0.7"}, {"[", ""}};

class FrmAddrTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }

  std::unique_ptr<TAddress> Address(const std::string& host, int32_t port, int32_t gameId) {
    return std::make_unique<TAddress>(games, host, port, gameId);
  }
  // The dialog on `address`, shown as a plain window so the test drives it.
  TfrmAddr& Open(const TAddress& address) {
    dialog_ = std::make_unique<TfrmAddr>(games, services, resolver.Resolver());
    dialog_->Fill(address);
    dialog_->show();
    return *dialog_;
  }
  template <class T> T& Child(const char* name) { return Child<T>(*dialog_, name); }
  template <class T> static T& Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
  }
  static void Type(QWidget& dialog, const char* edit, const QString& text) {
    auto& field = Child<QLineEdit>(dialog, edit);
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClicks(&field, text);
  }
  static void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(&Child<QPushButton>(dialog, button), Qt::LeftButton);
  }

  ScratchProgramFolder folder;
  TGameList games;
  TFakeDialogServices services;
  TableResolver resolver{kNames};
  std::unique_ptr<TfrmAddr> dialog_;
};

TEST_F(FrmAddrTest, ShowsTheAddressWithItsGameSelectedAmongAllGames) {
  auto address = Address("10.0.0.5", 27961, kQ3);
  address->Description = "Clan server";
  address->IconFile = "q3.ico";
  address->Sound = "ding.wav";
  address->Log = "q3.log";
  TfrmAddr& dialog = Open(*address);

  EXPECT_EQ(dialog.objectName(), "frmAddr");
  EXPECT_EQ(dialog.windowTitle(), "Address properties");
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a fixed border";
  EXPECT_GE(dialog.width(), 265);
  EXPECT_GE(dialog.height(), 277);
  const std::vector<std::pair<const char*, QString>> captions = {
      {"laAddr", "Host:"}, {"laGame", "Game:"},   {"laDesc", "Description:"},
      {"laIcon", "Icon:"}, {"laSound", "Sound:"}, {"laLog", "Log:"}};
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(Child<QLabel>(name).text(), caption) << name;
  for (const char* name : {"btIcon", "btSound", "btLog"})
    EXPECT_EQ(Child<QPushButton>(name).text(), "#") << name;
  EXPECT_EQ(Child<QPushButton>("btOk").text(), "&OK");
  EXPECT_TRUE(Child<QPushButton>("btOk").isDefault());
  EXPECT_EQ(Child<QPushButton>("btCancel").text(), "&Cancel");

  EXPECT_EQ(Child<QLineEdit>("edAddr").text(), "10.0.0.5:27961");
  EXPECT_EQ(Child<QLineEdit>("edDescription").text(), "Clan server");
  EXPECT_EQ(Child<QLineEdit>("edIcon").text(), "q3.ico");
  EXPECT_EQ(Child<QLineEdit>("edSound").text(), "ding.wav");
  EXPECT_EQ(Child<QLineEdit>("edLog").text(), "q3.log");

  auto& combo = Child<QComboBox>("coGameType");
  EXPECT_FALSE(combo.isEditable());
  ASSERT_EQ(combo.count(), games.Count());
  for (int32_t i = 0; i < games.Count(); ++i)
    EXPECT_EQ(combo.itemText(i).toStdString(), games.Items(i).Defs.Title);
  EXPECT_EQ(combo.currentText(), "Quake 3");
}

struct HostCase {
  const char* name;
  QString typed;
  QString descriptionBefore;
  // Accepted: the host and port stored and the description after. Refused:
  // the message; everything typed stays.
  QString error;
  std::string host;
  int32_t port;
  std::string description;
  std::vector<std::string> asked; // what the resolver was asked
};

class FrmAddrHostTest : public FrmAddrTest, public ::testing::WithParamInterface<HostCase> {};

TEST_P(FrmAddrHostTest, OkResolvesTheHostOrRefusesAndKeepsWhatWasTyped) {
  const HostCase& c = GetParam();
  auto address = Address("10.0.0.1", 0, kQ3);
  address->Description = c.descriptionBefore.toStdString();
  TfrmAddr& dialog = Open(*address);
  Type(dialog, "edAddr", c.typed);
  TModalScript script;
  script.ThenAccept();
  Click(dialog, "btOk");

  EXPECT_EQ(resolver.Asked(), c.asked);
  if (!c.error.isEmpty()) {
    EXPECT_EQ(script.MessageTexts(), QStringList{c.error});
    EXPECT_TRUE(dialog.isVisible()) << "it stays open";
    EXPECT_EQ(Child<QLineEdit>("edAddr").text(), c.typed);
    EXPECT_EQ(Child<QLineEdit>("edDescription").text(), c.descriptionBefore);
    EXPECT_TRUE(Child<QPushButton>("btOk").isEnabled());
    return;
  }
  EXPECT_EQ(script.Pending(), 1) << "no message";
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  dialog.ApplyTo(address, services);
  EXPECT_EQ(address->Host, c.host);
  EXPECT_EQ(address->Port, c.port);
  EXPECT_EQ(address->Description, c.description);
}

const QString kResolveError = QStringLiteral("Resolve error");
// The range lets the user correct the number.
const QString kWrongPort = QStringLiteral("Wrong port: a port is a number from 1 to 65535");

INSTANTIATE_TEST_SUITE_P(
    Cases, FrmAddrHostTest,
    ::testing::Values(
        HostCase{"OwnPort", "10.0.0.5:27961", "", "", "10.0.0.5", 27961, "", {"10.0.0.5"}},
        HostCase{
            "DefaultPortWritten", "10.0.0.5:27960", "", "", "10.0.0.5", 27960, "", {"10.0.0.5"}},
        HostCase{"NoPort", "10.0.0.5", "", "", "10.0.0.5", 27960, "", {"10.0.0.5"}},
        HostCase{"HexPort", "10.0.0.5:$6D39", "", "", "10.0.0.5", 27961, "", {"10.0.0.5"}},
        HostCase{"PortNotANumber", "10.0.0.5:abc", "", "", "10.0.0.5", 27960, "", {"10.0.0.5"}},
        HostCase{"EmptyPort", "10.0.0.5:", "", "", "10.0.0.5", 27960, "", {"10.0.0.5"}},
        HostCase{
            "SurroundingBlanks", "  10.0.0.5:27961  ", "", "", "10.0.0.5", 27961, "", {"10.0.0.5"}},
        HostCase{"NameIntoDescription",
                 "q3.example:27961",
                 "",
                 "",
                 "10.0.0.7",
                 27961,
                 "q3.example:27961",
                 {"q3.example"}},
        HostCase{"NameWithBlanksIntoDescription",
                 " q3.example ",
                 "",
                 "",
                 "10.0.0.7",
                 27960,
                 "q3.example",
                 {"q3.example"}},
        HostCase{"NameKeepsADescription",
                 "q3.example",
                 "Mine",
                 "",
                 "10.0.0.7",
                 27960,
                 "Mine",
                 {"q3.example"}},
        HostCase{"Empty", "", "", kResolveError, "", 0, "", {}},
        HostCase{"OnlyBlanks", "   ", "", kResolveError, "", 0, "", {}},
        HostCase{"BlankInsideAName", "q3 example", "", kResolveError, "", 0, "", {}},
        HostCase{"ThousandCharacters",
                 QString(1000, QLatin1Char('a')),
                 "",
                 kResolveError,
                 "",
                 0,
                 "",
                 {}},
        HostCase{"PortTooHigh", "10.0.0.5:99999", "", kWrongPort, "", 0, "", {}},
        HostCase{"NegativePort", "10.0.0.5:-1", "", kWrongPort, "", 0, "", {}},
        HostCase{"PortZeroIsTheDefault", "10.0.0.5:0", "", "", "10.0.0.5", 27960, "", {"10.0.0.5"}},
        HostCase{"OnlyAPort", ":27960", "", kResolveError, "", 0, "", {}},
        HostCase{"IPv6Loopback", "::1", "", kResolveError, "", 0, "", {}},
        HostCase{"IPv6WithPort", "[::1]:27960", "", kResolveError, "", 0, "", {"["}},
        HostCase{"NameThatDoesNotResolve",
                 "nowhere.invalid",
                 "Kept",
                 kResolveError,
                 "",
                 0,
                 "",
                 {"nowhere.invalid"}}),
    [](const ::testing::TestParamInfo<HostCase>& test) { return std::string(test.param.name); });

TEST_F(FrmAddrTest, ChangingTheGameMakesAnAddressOfTheNewGameKeepingEnabledAndDescription) {
  struct Case {
    QString typed;
    int32_t port; // the port it gets
  };
  for (const Case& c : {Case{"10.0.0.5:27961", 27961}, Case{"10.0.0.5", 27015}}) {
    SCOPED_TRACE(c.typed.toStdString());
    auto address = Address("10.0.0.5", 27961, kQ3);
    address->Enabled = false;
    address->Description = "Mine";
    address->Sound = "q3.wav";
    const TAddress* before = address.get();
    TModalScript script;
    script.Then([&](QWidget& dialog) {
      Type(dialog, "edAddr", c.typed);
      auto& combo = Child<QComboBox>(dialog, "coGameType");
      combo.setFocus();
      QTest::keyClick(&combo, Qt::Key_Down); // Quake 3 -> Counter-Strike
      Type(dialog, "edLog", "cs.log");
      Click(dialog, "btOk");
    });
    ASSERT_TRUE(EditAddress(address, services, nullptr, resolver.Resolver()));

    EXPECT_NE(address.get(), before) << "a new address for the new game";
    const TGame& cs = games.Items(kCS);
    EXPECT_EQ(address->Id, kCS);
    EXPECT_EQ(address->Defs.Key, "cs");
    EXPECT_EQ(address->Executable, cs.Executable);
    EXPECT_EQ(address->Parameters, cs.Parameters);
    EXPECT_EQ(address->Host, "10.0.0.5");
    EXPECT_EQ(address->Port, c.port);
    EXPECT_FALSE(address->Enabled);
    EXPECT_EQ(address->Description, "Mine");
    EXPECT_EQ(address->Sound, "q3.wav") << "the dialog's texts go over the new game's";
    EXPECT_EQ(address->Log, "cs.log");
    EXPECT_EQ(address->IconIndex, cs.DefaultIconIndex);
  }
}

TEST_F(FrmAddrTest, TheSameGameKeepsTheAddressObjectAndTakesTheResolvedHost) {
  auto address = Address("10.0.0.5", 0, kQ3);
  address->Enabled = false;
  const TAddress* before = address.get();
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    Type(dialog, "edAddr", "127.0.0.1:27961");
    QTest::keyClick(&Child<QLineEdit>(dialog, "edAddr"), Qt::Key_Return); // OK is the default
  });
  // The program's own resolver: a dotted quad needs no lookup.
  ASSERT_TRUE(EditAddress(address, services));
  EXPECT_EQ(address.get(), before);
  EXPECT_EQ(address->Id, kQ3);
  EXPECT_EQ(address->HostPort(), "127.0.0.1:27961");
  EXPECT_FALSE(address->Enabled);
  EXPECT_EQ(address->Description, "");
}

TEST_F(FrmAddrTest, CancelLeavesTheAddressUntouched) {
  auto address = Address("10.0.0.5", 27961, kQ3);
  address->Description = "Mine";
  address->IconFile = "q3.ico";
  const TAddress* before = address.get();
  services.Answers = {QStringLiteral("/tmp/other.ico")};
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    Type(dialog, "edAddr", "q3.example");
    Type(dialog, "edDescription", "Changed");
    QTest::keyClick(&Child<QComboBox>(dialog, "coGameType"), Qt::Key_Down);
    Click(dialog, "btIcon");
    Click(dialog, "btCancel");
  });
  EXPECT_FALSE(EditAddress(address, services, nullptr, resolver.Resolver()));
  EXPECT_EQ(address.get(), before);
  EXPECT_EQ(address->Id, kQ3);
  EXPECT_EQ(address->HostPort(), "10.0.0.5:27961");
  EXPECT_EQ(address->Description, "Mine");
  EXPECT_EQ(address->IconFile, "q3.ico");
  EXPECT_TRUE(resolver.Asked().empty());
}

TEST_F(FrmAddrTest, BrowseButtonsPutThePickedPathIntoTheirEditAndACancelChangesNothing) {
  struct Case {
    const char* button;
    const char* edit;
    QString asked;
  };
  const std::vector<Case> cases = {
      {"btIcon", "edIcon", "icon"}, {"btSound", "edSound", "sound"}, {"btLog", "edLog", "log"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    auto address = Address("10.0.0.5", 0, kQ3);
    address->IconFile = address->Sound = address->Log = "before";
    TfrmAddr& dialog = Open(*address);
    services.Asked.clear();
    services.Answers = {QStringLiteral("/home/me/picked file"), std::nullopt};
    Click(dialog, c.button);
    EXPECT_EQ(Child<QLineEdit>(c.edit).text(), "/home/me/picked file");
    Click(dialog, c.button);
    EXPECT_EQ(Child<QLineEdit>(c.edit).text(), "/home/me/picked file");
    EXPECT_EQ(services.Asked, (std::vector<QString>{c.asked, c.asked}));
  }
}

TEST_F(FrmAddrTest, FilesAreStoredAsTypedAndAnIconThatDoesNotLoadGivesTheDefaultImage) {
  const std::string icon = folder.write("own.ico", "icon");
  struct Case {
    QString iconFile;
    bool loads;
  };
  for (const Case& c : {Case{QString::fromStdString(icon), true}, Case{"/nonexistent/x.ico", false},
                        Case{"not an icon.txt", false}, Case{"", false}}) {
    SCOPED_TRACE(c.iconFile.toStdString());
    auto address = Address("10.0.0.5", 0, kQ3);
    TModalScript script;
    script.Then([&](QWidget& dialog) {
      Type(dialog, "edIcon", c.iconFile);
      Type(dialog, "edSound", "/nonexistent/dir/ding.wav");
      Type(dialog, "edLog", "/proc/no such/log.txt");
      Click(dialog, "btOk");
    });
    ASSERT_TRUE(EditAddress(address, services, nullptr, resolver.Resolver()));
    EXPECT_EQ(address->IconFile, c.iconFile.toStdString());
    EXPECT_EQ(address->Sound, "/nonexistent/dir/ding.wav");
    EXPECT_EQ(address->Log, "/proc/no such/log.txt");
    if (c.loads)
      EXPECT_NE(address->IconIndex, address->DefaultIconIndex);
    else
      EXPECT_EQ(address->IconIndex, address->DefaultIconIndex);
  }
}

} // namespace
