#include "app/UpdateCheck.h"

#include <QWidget>

#include <exception>
#include <string>

#include "app/dm.h"
#include "config/AppSettings.h"
#include "config/SettingsFile.h"
#include "dialogs/ErrorReport.h"
#include "dialogs/Message.h"
#include "util/debug_log.h"

namespace {

void Trace(const std::string& line) {
  DebugLogQuietly(line);
}

// A message box captioned "Skarvel", opened (window-modal over a parent)
// rather than executed; `answered` gets the button the user chose.
void OpenMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                 QMessageBox::StandardButtons buttons,
                 std::function<void(QMessageBox::StandardButton)> answered) {
  auto* box = new QMessageBox(icon, QStringLiteral("Skarvel"), text, buttons, parent);
  box->setObjectName(QStringLiteral("UpdateMessage"));
  // Page text is the web server's: shown as it is, never as markup.
  box->setTextFormat(Qt::PlainText);
  box->setAttribute(Qt::WA_DeleteOnClose);
  TranslateButtons(*box);
  QObject::connect(box, &QMessageBox::finished, box, [box, answered = std::move(answered)] {
    if (answered)
      answered(box->standardButton(box->clickedButton()));
  });
  if (parent)
    box->open();
  else
    box->show();
}

// The news as a message box can hold them: a page may bring more lines than
// fit on a screen.
QString NewsForDisplay(const std::string& news) {
  constexpr int kMaxLines = 40;
  constexpr int kMaxLineLength = 200;
  QStringList lines = QString::fromStdString(news).split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.constLast().isEmpty())
    lines.removeLast();
  if (lines.size() > kMaxLines) {
    lines = lines.mid(0, kMaxLines);
    lines.append(QStringLiteral("..."));
  }
  for (QString& line : lines)
    if (line.size() > kMaxLineLength)
      line = line.left(kMaxLineLength) + QStringLiteral("...");
  return lines.join(QLatin1Char('\n'));
}

} // namespace

TUpdateCheck::TUpdateCheck(std::function<void()> openHomepage, QObject* parent)
    : QObject(parent), openHomepage_(std::move(openHomepage)) {
}

bool TUpdateCheck::ServerConfigured() {
  return ConfiguredUpdateServer(SKARVEL_UPDATE_HOST).has_value();
}

void TUpdateCheck::CheckAutomaticallyIfDue() {
  if (Running() || !schedule_.AutomaticCheckDue(AppSettings.CheckUpdates, AppSettings.LastUpdate))
    return;
  // Without a server of the maker's the automatic check is off.
  if (const auto server = ConfiguredUpdateServer(SKARVEL_UPDATE_HOST))
    client_.Start(*server, AppSettings.LastUpdate,
                  [this](const TUpdateOutcome& outcome) { Done(outcome); });
}

bool TUpdateCheck::CheckManually(QWidget* parent, std::function<void()> finished) {
  if (manual_)
    return false;
  TManualRequest request{parent, parent != nullptr, std::move(finished)};
  if (!Running()) {
    const auto server = ConfiguredUpdateServer(SKARVEL_UPDATE_HOST);
    if (!server) {
      ShowManualOutcome(request, QMessageBox::Warning,
                        Message("NoUpdateServer", "No update server is configured") + ".");
      return true;
    }
    client_.Start(*server, AppSettings.LastUpdate,
                  [this](const TUpdateOutcome& outcome) { Done(outcome); });
  }
  if (parent)
    parent->setCursor(Qt::BusyCursor);
  manual_ = std::move(request);
  return true;
}

void TUpdateCheck::Done(const TUpdateOutcome& outcome) {
  std::optional<TManualRequest> manual = std::move(manual_);
  manual_.reset();
  if (manual && manual->parent)
    manual->parent->unsetCursor();
  Trace(std::string("Update check ") + (manual ? "(manual): " : "(automatic): ") +
        (outcome.Succeeded() ? (outcome.News.empty() ? "no news" : "news")
                             : UpdateFailureText(outcome.Failure)));
  if (!outcome.Succeeded()) {
    // Automatic failures show nothing; the back-off keeps an unreachable
    // server from being asked at every cycle tick.
    schedule_.CheckFailed();
    if (manual)
      ShowManualOutcome(*manual, QMessageBox::Critical,
                        Message("UpdateCheckError", "Could not connect to") + " " +
                            Tdm::Homepage() + ".");
    return;
  }
  schedule_.CheckSucceeded();
  StoreLastUpdate(manual ? manual->parent.data() : nullptr);
  if (!outcome.News.empty())
    ShowNews(outcome.News, std::move(manual));
  else if (manual)
    ShowManualOutcome(*manual, QMessageBox::Information,
                      Message("NoUpdates", "The application is up-to-date") + ".");
}

void TUpdateCheck::StoreLastUpdate(QWidget* parent) {
  AppSettings.LastUpdate = schedule_.Today();
  try {
    // Its own bracket: the date reaches the disk now, not at the next save.
    WithIni([] { Ini().WriteDate("Network", "LastUpdate", AppSettings.LastUpdate); });
  } catch (const std::exception& error) {
    OpenMessage(parent, QMessageBox::Critical, QString::fromStdString(error.what()),
                QMessageBox::Ok, nullptr);
  }
}

void TUpdateCheck::ShowNews(const std::string& news, std::optional<TManualRequest> manual) {
  QWidget* parent = manual ? manual->parent.data() : nullptr;
  OpenMessage(parent, QMessageBox::Information,
              Message("NewVersion", "The following software updates are available. Shall I "
                                    "proceed to the homepage?") +
                  "\n\n" + NewsForDisplay(news),
              QMessageBox::Yes | QMessageBox::No,
              [this, manual = std::move(manual)](QMessageBox::StandardButton answer) {
                if (answer == QMessageBox::Yes && openHomepage_)
                  openHomepage_();
                if (manual && (manual->parent || !manual->hadParent) && manual->finished)
                  manual->finished();
              });
}

void TUpdateCheck::ShowManualOutcome(const TManualRequest& manual, QMessageBox::Icon icon,
                                     const QString& text) {
  OpenMessage(manual.parent, icon, text, QMessageBox::Ok, [manual](QMessageBox::StandardButton) {
    if ((manual.parent || !manual.hadParent) && manual.finished)
      manual.finished();
  });
}
