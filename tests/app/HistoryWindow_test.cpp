// The history window over databases of the test's making, read at a fixed time.
#include <QAbstractButton>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "history/HistoryWindow.h"
#include "tests/history/HistoryFixture.h"
#include "tests/support/TempDir.h"
#include "util/datetime.h"

namespace {

const std::time_t kNow = UtcTime("2024-03-10T12:02:00Z");

class HistoryWindowTest : public ::testing::Test {
protected:
  THistoryWindow& Open(const std::string& address) {
    window_ = std::make_unique<THistoryWindow>(nullptr, [] { return kNow; });
    window_->ShowServer({home_.file("history.db"), "q3", address, "Rail ^1Arena"});
    window_->show();
    Loaded();
    return *window_;
  }
  // The reading thread's answer arrives as an event.
  void Loaded() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return !window_->Loading(); }, 60000));
  }
  template <class T> T* Child(const char* name) {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }
  // The text shown instead of the charts, or nothing while they are shown.
  QString State() {
    auto* state = Child<QLabel>("laState");
    return state->isVisible() ? state->text() : QString();
  }
  std::vector<QList<QPointF>> Lines(const char* page) {
    std::vector<QList<QPointF>> lines;
    for (QAbstractSeries* series :
         Child<QWidget>(page)->findChild<QChartView*>()->chart()->series())
      lines.push_back(static_cast<QLineSeries*>(series)->points());
    return lines;
  }

  TempDir home_;
  std::unique_ptr<THistoryWindow> window_;
};

qreal Ms(const char* time) {
  return static_cast<qreal>(UtcTime(time)) * 1000;
}

TEST_F(HistoryWindowTest, ChartsTheServersPlayersAndListsThemByLastSeen) {
  THistoryFixture fixture(home_.file("history.db"));
  fixture.AddPoll("2024-03-10T09:00:00Z", "q3", "127.0.0.1", 2, {"Anna", "Bob"});
  fixture.AddPoll("2024-03-10T09:05:00Z", "q3", "127.0.0.1", 1, {"Anna"});
  // Off for an hour: the line breaks.
  fixture.AddPoll("2024-03-10T10:10:00Z", "q3", "127.0.0.1", 3, {"Anna"});
  fixture.AddPoll("2024-03-10T10:10:00Z", "q3", "127.0.0.2", 9, {"Zed"});
  THistoryWindow& window = Open("127.0.0.1");

  EXPECT_EQ(State(), QString());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("History of Rail ^1Arena"));
  // Each point stands in the middle of its five minutes.
  const std::vector<QList<QPointF>> day{
      {{Ms("2024-03-10T09:02:30Z"), 2}, {Ms("2024-03-10T09:07:30Z"), 1}},
      {{Ms("2024-03-10T10:12:30Z"), 3}}};
  EXPECT_EQ(Lines("tsDay"), day);
  EXPECT_EQ(Lines("tsWeek"), (std::vector<QList<QPointF>>{{{Ms("2024-03-10T09:30:00Z"), 2},
                                                           {Ms("2024-03-10T10:30:00Z"), 3}}}));

  auto* seen = Child<QTreeWidget>("lvSeen");
  ASSERT_EQ(seen->topLevelItemCount(), 2);
  EXPECT_EQ(seen->topLevelItem(0)->text(0), QStringLiteral("Anna"));
  EXPECT_EQ(seen->topLevelItem(0)->text(1).toStdString(),
            DateTimeToStr(DateTimeFromUnix(UtcTime("2024-03-10T10:10:00Z"))));
  EXPECT_EQ(seen->topLevelItem(1)->text(0), QStringLiteral("Bob"));

  const auto* bars = Child<QWidget>("tsHours")->findChild<QChartView*>()->chart()->series().at(0);
  EXPECT_EQ(static_cast<const QBarSeries*>(bars)->barSets().at(0)->count(), 24);
  EXPECT_TRUE(Child<QLabel>("laBusiest")->text().startsWith(QStringLiteral("Busiest hours: ")));
}

TEST_F(HistoryWindowTest, RefreshReadsWhatWasRecordedSince) {
  THistoryFixture fixture(home_.file("history.db"));
  Open("127.0.0.1");
  EXPECT_EQ(State(), QStringLiteral("No history recorded for this server yet"));
  fixture.AddPoll("2024-03-10T11:00:00Z", "q3", "127.0.0.1", 4, {"Anna"});
  Child<QAbstractButton>("btRefresh")->click();
  Loaded();
  EXPECT_EQ(State(), QString());
  EXPECT_EQ(Child<QTreeWidget>("lvSeen")->topLevelItemCount(), 1);
  EXPECT_EQ(Child<QWidget>("tsDay")->findChildren<QChartView*>().size(), 1)
      << "the new chart replaces the old";
}

TEST_F(HistoryWindowTest, AFileThatIsNoDatabaseIsSaidSo) {
  home_.write("history.db", std::string(4096, '\x7f'));
  Open("127.0.0.1");
  EXPECT_TRUE(State().startsWith(QStringLiteral("The history cannot be read: ")))
      << State().toStdString();
}

// As a dialog: Esc closes it wherever the focus is.
TEST_F(HistoryWindowTest, EscClosesTheWindow) {
  THistoryFixture fixture(home_.file("history.db"));
  fixture.AddPoll("2024-03-10T11:00:00Z", "q3", "127.0.0.1", 4, {"Anna"});
  THistoryWindow& window = Open("127.0.0.1");
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Child<QTabWidget>("pcHistory")->setCurrentIndex(3);
  auto* seen = Child<QTreeWidget>("lvSeen");
  seen->setFocus();
  QTest::keyClick(seen, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

} // namespace
