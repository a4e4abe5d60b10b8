#include "app/dm.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QSystemTrayIcon>
#include <QUrl>

#include "app/GameTypeArt.h"
#include "app/StartupMessage.h"
#include "config/AppSettings.h"
#include "config/MsgINISupp.h"
#include "dialogs/Message.h"

Tdm::Tdm(double stamp, QObject* parent) : QObject(parent), UpdateCheck([this] { OpenHomepage(); }) {
  setObjectName(QStringLiteral("dm"));
  AppSettings.LastUpdate = stamp;
  NotificationAreaAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  for (int i = 0; i < kGameTypeImageCount; ++i)
    GameImages.Add(GameTypeImage(i));
}

void Tdm::OpenMessages() {
  MIS().Close();
  MIS().SetLinkedFileName([this] { return LIS.FileName(); });
  MIS().SetNotice([](const std::string& text) {
    ShowStartupMessage(QMessageBox::Information, QString::fromStdString(text));
  });
  MIS().Open();
}

void Tdm::CloseMessages() {
  MIS().Close();
  MIS().SetLinkedFileName(nullptr);
  MIS().SetNotice(nullptr);
  LIS.SetFileName("");
}

Tdm::~Tdm() {
  CloseMessages();
}

std::optional<QString> Tdm::SelectIconFile() {
  return SelectFile(Message("SelectIcon", "Select icon"),
                    QStringLiteral("*.ico (*.ico);;All files (*)"));
}

std::optional<QString> Tdm::SelectSoundFile() {
  return SelectFile(Message("SelectSound", "Select sound"),
                    QStringLiteral("*.wav;*.mid (*.wav *.mid);;All files (*)"));
}

std::optional<QString> Tdm::SelectLogFile() {
  return SelectFile(Message("SelectLog", "Select log file"),
                    QStringLiteral("*.log (*.log);;All files (*)"));
}

std::optional<QString> Tdm::SelectExecutableFile(const QString& defaultName,
                                                 const QString& gameTitle) {
  // Linux games have no extension to filter by: every file is offered.
  return SelectFile(Message("SelectEXE", "Select game executable") + QStringLiteral(": ") +
                        gameTitle,
                    QStringLiteral("All files (*)"), defaultName);
}

std::optional<QString> Tdm::SelectFile(const QString& title, const QString& filter,
                                       const QString& fileName) {
  if (!od_) {
    od_ = std::make_unique<QFileDialog>();
    od_->setObjectName(QStringLiteral("od"));
    od_->setFileMode(QFileDialog::ExistingFile);
    od_->setAcceptMode(QFileDialog::AcceptOpen);
    od_->setWindowModality(Qt::ApplicationModal);
  }
  od_->setWindowTitle(title);
  od_->setNameFilter(filter);
  od_->selectFile(fileName);
  const bool chosen = od_->exec() == QDialog::Accepted && !od_->selectedFiles().isEmpty();
  if (!chosen)
    return std::nullopt;
  return od_->selectedFiles().constFirst();
}

void Tdm::OpenDocument(const QString& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void Tdm::OpenHomepage() {
  QDesktopServices::openUrl(QUrl(Homepage()));
}

QString Tdm::Homepage() {
  return QStringLiteral(SKARVEL_HOMEPAGE);
}
