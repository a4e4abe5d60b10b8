#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ISoundOutput;

// Plays a notification sound without blocking. A sound still playing is cut
// off by the next one. When a sound cannot be heard (no such file, not a
// playable WAV file, no audio device, no sound module) the system beep stands
// in, once per Play. The sound module, and with it the audio stack, is loaded
// at the first playable file.
class TSoundPlayer : public QObject {
  Q_OBJECT
public:
  // `modules`: where the sound module may be, tried in turn.
  TSoundPlayer(std::function<void()> beep, QStringList modules, QObject* parent = nullptr);

  void Play(const QString& path);

  // Where the program looks for its sound module: beside the program, then
  // in the installed library folder.
  static QStringList InstalledModules();

private:
  ISoundOutput* Output();

  std::function<void()> beep_;
  QStringList modules_;
  bool loadTried_ = false;
  ISoundOutput* output_ = nullptr;
};
