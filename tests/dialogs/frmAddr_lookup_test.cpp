#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "FakeDialogServices.h"
#include "ModalScript.h"
#include "dialogs/addr.h"
#include "games/game.h"
#include "model/address.h"
#include "protocols/builtin_games.h"

namespace {

using namespace std::chrono_literals;

constexpr int32_t kQ3 = 3;

// A resolver that answers only when the test releases it: a name that
// resolves slowly, or never. Every blocked lookup ends when it goes.
class GatedResolver {
public:
  GatedResolver() : state_(std::make_shared<State>()) {}
  ~GatedResolver() { Release(""); }
  GatedResolver(const GatedResolver&) = delete;
  GatedResolver& operator=(const GatedResolver&) = delete;

  THostResolver Resolver() const {
    return [state = state_](const std::string&) {
      std::unique_lock guard(state->lock);
      state->changed.wait(guard, [&] { return state->released; });
      return state->answer;
    };
  }
  void Release(const std::string& answer) {
    const std::lock_guard guard(state_->lock);
    if (state_->released)
      return;
    state_->answer = answer;
    state_->released = true;
    state_->changed.notify_all();
  }

private:
  struct State {
    std::mutex lock;
    std::condition_variable changed;
    bool released = false;
    std::string answer;
  };
  std::shared_ptr<State> state_;
};

// A name lookup runs beside the window, which keeps working meanwhile.
class FrmAddrLookupTest : public ::testing::Test {
protected:
  void SetUp() override {
    games.LoadGames(BuiltinGames(), THostInfo{});
    address = std::make_unique<TAddress>(games, "10.0.0.1", 0, kQ3);
  }

  template <class T> static T& Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
  }
  static void TypeHost(QWidget& dialog, const QString& text) {
    auto& edit = Child<QLineEdit>(dialog, "edAddr");
    edit.selectAll();
    QTest::keyClicks(&edit, text);
  }
  static void Click(QWidget& dialog, const char* button) {
    QTest::mouseClick(&Child<QPushButton>(dialog, button), Qt::LeftButton);
  }
  // What the window looks like while it waits for the name.
  struct WaitingLook {
    bool seen = false;
    bool okEnabled = true, hostEnabled = true, gameEnabled = true, cancelEnabled = false;
    Qt::CursorShape cursor = Qt::ArrowCursor;
  };
  static WaitingLook LookAt(QWidget& dialog) {
    WaitingLook look;
    look.seen = true;
    look.okEnabled = Child<QPushButton>(dialog, "btOk").isEnabled();
    look.hostEnabled = Child<QLineEdit>(dialog, "edAddr").isEnabled();
    look.gameEnabled = Child<QComboBox>(dialog, "coGameType").isEnabled();
    look.cancelEnabled = Child<QPushButton>(dialog, "btCancel").isEnabled();
    look.cursor = dialog.cursor().shape();
    return look;
  }
  static void ExpectBusy(const WaitingLook& look) {
    EXPECT_TRUE(look.seen) << "the window's own timer ran during the lookup";
    EXPECT_FALSE(look.okEnabled);
    EXPECT_FALSE(look.hostEnabled);
    EXPECT_FALSE(look.gameEnabled);
    EXPECT_TRUE(look.cancelEnabled);
    EXPECT_EQ(look.cursor, Qt::BusyCursor);
  }

  TGameList games;
  TFakeDialogServices services;
  GatedResolver gate;
  std::unique_ptr<TAddress> address;
};

TEST_F(FrmAddrLookupTest, ANameThatResolvesSlowlyKeepsTheWindowWorkingUntilItAnswers) {
  WaitingLook look;
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    TypeHost(dialog, "slow.example:27961");
    // Runs only when the event loop runs while OK waits for the name.
    QTimer::singleShot(0, &dialog, [&] {
      look = LookAt(dialog);
      gate.Release("10.0.0.8");
    });
    Click(dialog, "btOk");
  });
  ASSERT_TRUE(EditAddress(address, services, nullptr, gate.Resolver()));
  ExpectBusy(look);
  EXPECT_EQ(address->HostPort(), "10.0.0.8:27961");
  EXPECT_EQ(address->Description, "slow.example:27961");
  EXPECT_TRUE(script.MessageTexts().isEmpty());
}

TEST_F(FrmAddrLookupTest, CancelWhileANameIsLookedUpAbandonsTheLookup) {
  address->Description = "Mine";
  WaitingLook look;
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    TypeHost(dialog, "never.example");
    QTimer::singleShot(0, &dialog, [&] {
      look = LookAt(dialog);
      Click(dialog, "btCancel");
    });
    Click(dialog, "btOk");
  });
  EXPECT_FALSE(EditAddress(address, services, nullptr, gate.Resolver()));
  ExpectBusy(look);
  EXPECT_EQ(address->HostPort(), "10.0.0.1");
  EXPECT_EQ(address->Description, "Mine");
  EXPECT_TRUE(script.MessageTexts().isEmpty()) << "no error for a lookup the user gave up";
}

TEST_F(FrmAddrLookupTest, ANameThatNeverAnswersFailsAtTheBoundAndTheDialogStaysUsable) {
  TfrmAddr dialog(games, services, gate.Resolver());
  dialog.Fill(*address);
  dialog.SetResolveBound(50ms);
  dialog.show();
  TypeHost(dialog, "never.example:27961");
  WaitingLook look;
  QTimer::singleShot(0, &dialog, [&] { look = LookAt(dialog); });
  TModalScript script;
  script.ThenAccept();
  Click(dialog, "btOk");

  ExpectBusy(look);
  EXPECT_EQ(script.MessageTexts(), QStringList{QStringLiteral("Resolve error")});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(Child<QLineEdit>(dialog, "edAddr").text(), "never.example:27961");
  EXPECT_TRUE(Child<QPushButton>(dialog, "btOk").isEnabled());
  EXPECT_TRUE(Child<QLineEdit>(dialog, "edAddr").isEnabled());
  EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);

  // The name answers later: the next OK takes it.
  gate.Release("10.0.0.9");
  Click(dialog, "btOk");
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  dialog.ApplyTo(address, services);
  EXPECT_EQ(address->HostPort(), "10.0.0.9:27961");
  EXPECT_EQ(address->Description, "never.example:27961");
}

} // namespace
