#pragma once

#include <QWidget>

#include <ctime>
#include <functional>
#include <string>

#include "history/ServerHistory.h"

class QLabel;
class QPushButton;
class QStackedWidget;
class QTabWidget;
class QTreeWidget;
class QVBoxLayout;
class THistoryLoader;

// A server as the history plug-in names it, and as the window's title does.
struct THistoryServer {
  std::string DatabasePath;
  std::string Game;    // the game's key
  std::string Address; // the host, with ":port" when not the game's default
  std::string Name;    // the server's name as it sent it
};

// The player history of one server: its player count over the last 24 hours
// and 7 days, its busiest hours of the day and when each of its players was
// last seen. Not modal; one window serves whichever server was asked for
// last, and reads the database again each time it is asked and on Refresh.
class THistoryWindow : public QWidget {
  Q_OBJECT
public:
  using Clock = std::function<std::time_t()>;

  explicit THistoryWindow(QWidget* parent, Clock clock = {});

  void ShowServer(const THistoryServer& server);
  void Refresh();
  bool Loading() const;
  const THistoryServer& Server() const { return server_; }

private:
  void Loaded(const TServerHistory& history);
  // A text in place of the charts: while reading, without history, on errors.
  void ShowState(const QString& text);
  void FillCharts(const TServerHistory& history, std::time_t now);
  void FillLastSeen(const TServerHistory& history);
  QWidget* Page(const char* name, QVBoxLayout*& layout);
  void ReplaceChart(QVBoxLayout* page, QWidget* chart);

  Clock clock_;
  THistoryServer server_;
  std::time_t readAt_ = 0;
  THistoryLoader* loader_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  QLabel* laState = nullptr;
  QTabWidget* pcHistory = nullptr;
  QVBoxLayout* dayPage_ = nullptr;
  QVBoxLayout* weekPage_ = nullptr;
  QVBoxLayout* hoursPage_ = nullptr;
  QLabel* laBusiest = nullptr;
  QTreeWidget* lvSeen = nullptr;
  QPushButton* btRefresh = nullptr;
  QPushButton* btClose = nullptr;
};
