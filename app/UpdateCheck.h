#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

#include "app/UpdateClient.h"
#include "update/UpdateSchedule.h"

class QWidget;

// The update check as the user meets it: automatic from the cycle tick when
// due, or manual from the settings dialog, one at a time, never blocking the
// window. A success stores "LastUpdate" at once; news are offered with a
// way to the homepage. Its message boxes are opened, never executed, so no
// handler waits for an answer.
class TUpdateCheck : public QObject {
  Q_OBJECT
public:
  // openHomepage: what "Yes" on the news does.
  explicit TUpdateCheck(std::function<void()> openHomepage, QObject* parent = nullptr);

  // The cycle tick's check: starts when "CheckUpdates" says it is due, no
  // check runs and no failure is fresh; shows only news.
  void CheckAutomaticallyIfDue();
  // Starts a manual check unless one runs; shows the outcome over `parent`
  // (a busy cursor on it meanwhile) and calls `finished` when the user has
  // closed that message, unless `parent` is gone by then. An automatic check
  // already running becomes this manual one. False, and nothing happens,
  // while a manual check runs.
  bool CheckManually(QWidget* parent, std::function<void()> finished);
  bool Running() const { return client_.Running(); }
  // Whether there is a server to ask: the build's or the environment's.
  static bool ServerConfigured();

  // The bound of a whole check (30 s unless a test says otherwise).
  void SetTimeBound(std::chrono::milliseconds bound) { client_.SetTimeBound(bound); }

private:
  struct TManualRequest {
    QPointer<QWidget> parent;
    bool hadParent = false;
    std::function<void()> finished;
  };

  void Done(const TUpdateOutcome& outcome);
  void StoreLastUpdate(QWidget* parent);
  void ShowNews(const std::string& news, std::optional<TManualRequest> manual);
  static void ShowManualOutcome(const TManualRequest& manual, QMessageBox::Icon icon,
                                const QString& text);

  std::function<void()> openHomepage_;
  TSystemUpdateClock clock_;
  TUpdateSchedule schedule_{clock_};
  TUpdateClient client_;
  std::optional<TManualRequest> manual_;
};
