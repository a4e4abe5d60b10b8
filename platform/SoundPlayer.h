#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QSoundEffect;

// Plays a notification sound without blocking. A sound still playing is cut
// off by the next one. When a sound cannot be heard (no such file, not a
// playable WAV file, no audio device) the system beep stands in, once per Play.
class TSoundPlayer : public QObject {
  Q_OBJECT
public:
  explicit TSoundPlayer(std::function<void()> beep, QObject* parent = nullptr);

  void Play(const QString& path);

private:
  void StopCurrent();
  void OnStatusChanged();

  std::function<void()> beep_;
  QSoundEffect* effect_ = nullptr;
};
