#pragma once

#include <QObject>
#include <QString>

#include <functional>

#include "platform/SoundOutput.h"

class QSoundEffect;

// Plays sounds with Qt Multimedia, one at a time.
class TQtSoundOutput : public QObject, public ISoundOutput {
  Q_OBJECT
public:
  explicit TQtSoundOutput(QObject* parent) : QObject(parent) {}

  void Play(const QString& path, std::function<void()> unheard) override;
  void Stop() override;

private:
  void OnStatusChanged();

  QSoundEffect* effect_ = nullptr;
  std::function<void()> unheard_;
};
