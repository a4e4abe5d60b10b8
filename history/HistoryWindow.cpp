#include "history/HistoryWindow.h"

#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTime>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "dialogs/DialogTranslation.h"
#include "dialogs/LngINISupp.h"
#include "dialogs/Message.h"
#include "history/HistoryCharts.h"
#include "history/HistoryLoader.h"
#include "platform/ServerText.h"
#include "util/datetime.h"

namespace {

using history_span::kDay;
using history_span::kDayPoint;
using history_span::kWeek;
using history_span::kWeekPoint;
constexpr std::size_t kBusiestListed = 3;

// The locale's short date without its year, to keep a week's labels short:
// "M/d/yy" gives "M/d", "dd.MM.yy" gives "dd.MM", "yyyy-MM-dd" gives "MM-dd".
QString DayFormat(const QLocale& locale) {
  QString format = locale.dateFormat(QLocale::ShortFormat);
  static const QRegularExpression year(
      QStringLiteral("^y+[^dMy]*|[^dMy]*y+[^dMy]*$|[^dMy]*y+(?=[^dMy])"));
  format.remove(year);
  return format.isEmpty() ? locale.dateFormat(QLocale::ShortFormat) : format;
}

// The locale's short time without seconds: a chart's ticks and the busiest
// hours need no more.
QString MinuteFormat(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::ShortFormat);
  static const QRegularExpression seconds(QStringLiteral("[^hHmaAp ]?s+"));
  format.remove(seconds);
  return format;
}

QString HourText(int hour) {
  const QLocale locale;
  return locale.toString(QTime(hour, 0), MinuteFormat(locale));
}

} // namespace

THistoryWindow::THistoryWindow(QWidget* parent, Clock clock)
    : QWidget(parent, Qt::Window), clock_(std::move(clock)) {
  setObjectName(QStringLiteral("frmHistory"));
  TLngINISupp::Exclude(this); // the title names the server
  if (!clock_)
    clock_ = [] { return std::time(nullptr); };
  loader_ = new THistoryLoader([this](const TServerHistory& history) { Loaded(history); }, this);

  laState = new QLabel(this);
  laState->setObjectName(QStringLiteral("laState"));
  TLngINISupp::Exclude(laState);
  laState->setAlignment(Qt::AlignCenter);
  laState->setWordWrap(true);

  pcHistory = new QTabWidget(this);
  pcHistory->setObjectName(QStringLiteral("pcHistory"));
  pcHistory->addTab(Page("tsDay", dayPage_), QStringLiteral("Last &24 hours"));
  pcHistory->addTab(Page("tsWeek", weekPage_), QStringLiteral("Last &7 days"));
  QWidget* hours = Page("tsHours", hoursPage_);
  laBusiest = new QLabel(hours);
  laBusiest->setObjectName(QStringLiteral("laBusiest"));
  TLngINISupp::Exclude(laBusiest);
  hoursPage_->addWidget(laBusiest);
  pcHistory->addTab(hours, QStringLiteral("&Busiest hours"));
  QVBoxLayout* seenPage = nullptr;
  QWidget* seen = Page("tsSeen", seenPage);
  lvSeen = new QTreeWidget(seen);
  lvSeen->setObjectName(QStringLiteral("lvSeen"));
  lvSeen->setHeaderLabels({QStringLiteral("Player"), QStringLiteral("Last seen")});
  lvSeen->setRootIsDecorated(false);
  lvSeen->setUniformRowHeights(true);
  lvSeen->header()->setStretchLastSection(false);
  lvSeen->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lvSeen->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  seenPage->addWidget(lvSeen);
  pcHistory->addTab(seen, QStringLiteral("&Players"));

  stack_ = new QStackedWidget(this);
  stack_->addWidget(laState);
  stack_->addWidget(pcHistory);
  stack_->setCurrentWidget(pcHistory);

  btRefresh = new QPushButton(QStringLiteral("&Refresh"), this);
  btRefresh->setObjectName(QStringLiteral("btRefresh"));
  btClose = new QPushButton(QStringLiteral("&Close"), this);
  btClose->setObjectName(QStringLiteral("btClose"));
  connect(btRefresh, &QPushButton::clicked, this, &THistoryWindow::Refresh);
  connect(btClose, &QPushButton::clicked, this, &QWidget::close);
  // Esc closes it as it closes a dialog; the window sees the key before its controls.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WindowShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::close);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btRefresh);
  buttons->addWidget(btClose);
  auto* column = new QVBoxLayout(this);
  column->addWidget(stack_, 1);
  column->addLayout(buttons);
  resize(640, 420);
  TranslateDialog(this);
}

QWidget* THistoryWindow::Page(const char* name, QVBoxLayout*& layout) {
  auto* page = new QWidget(this);
  page->setObjectName(QString::fromLatin1(name));
  layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  return page;
}

void THistoryWindow::ShowServer(const THistoryServer& server) {
  server_ = server;
  setWindowTitle(Message("HistoryTitle", "History of %1").arg(ServerText(server.Name)));
  ShowState(Message("HistoryReading", "Reading the history…"));
  Refresh();
}

void THistoryWindow::Refresh() {
  // The charts on view stay until the new ones are ready.
  readAt_ = clock_();
  loader_->Start({server_.DatabasePath, server_.Game, server_.Address, readAt_});
}

bool THistoryWindow::Loading() const {
  return loader_->Busy();
}

void THistoryWindow::ShowState(const QString& text) {
  laState->setText(text);
  stack_->setCurrentWidget(laState);
}

void THistoryWindow::Loaded(const TServerHistory& history) {
  if (!history.Error.empty()) {
    ShowState(Message("HistoryError", "The history cannot be read: %1")
                  .arg(QString::fromStdString(history.Error)));
    return;
  }
  if (history.Empty()) {
    ShowState(Message("HistoryNone", "No history recorded for this server yet"));
    return;
  }
  FillCharts(history, readAt_);
  FillLastSeen(history);
  stack_->setCurrentWidget(pcHistory);
}

void THistoryWindow::ReplaceChart(QVBoxLayout* page, QWidget* chart) {
  if (QLayoutItem* old = page->count() > 0 ? page->itemAt(0) : nullptr;
      old && qobject_cast<QChartView*>(old->widget())) {
    delete old->widget();
  }
  page->insertWidget(0, chart, 1);
}

void THistoryWindow::FillCharts(const TServerHistory& history, std::time_t now) {
  const QLocale locale;
  ReplaceChart(dayPage_, MakePlayerCountChart(history.Day, now - kDay, now, 6, kDayPoint,
                                              MinuteFormat(locale), this));
  ReplaceChart(weekPage_, MakePlayerCountChart(history.Week, now - kWeek, now, 7, kWeekPoint,
                                               DayFormat(locale), this));
  ReplaceChart(hoursPage_, MakeHoursChart(history.Hours, this));
  QStringList busiest;
  for (int hour : history.BusiestHours(kBusiestListed))
    busiest << HourText(hour);
  laBusiest->setText(
      busiest.isEmpty()
          ? QString()
          : Message("HistoryBusiest", "Busiest hours: %1").arg(busiest.join(QStringLiteral(", "))));
}

void THistoryWindow::FillLastSeen(const TServerHistory& history) {
  lvSeen->clear();
  QList<QTreeWidgetItem*> rows;
  for (const TLastSeen& player : history.LastSeen)
    rows << new QTreeWidgetItem({ServerText(player.Name), QString::fromStdString(DateTimeToStr(
                                                              DateTimeFromUnix(player.Time)))});
  lvSeen->addTopLevelItems(rows);
}
