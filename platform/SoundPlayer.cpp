#include "platform/SoundPlayer.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <QtEndian>

#include <cstring>
#include <utility>

namespace {

// Qt's WAV loader waits for ever on a file that ends early or holds a sample
// size it does not know, and the next sound let go then blocks on it; such
// files must never reach it. It plays 8 and 16 bit PCM.
bool IsPlayableWav(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  char riff[12];
  if (file.read(riff, sizeof riff) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
      std::memcmp(riff + 8, "WAVE", 4) != 0)
    return false;
  bool haveFormat = false;
  for (;;) {
    uchar chunk[8];
    if (file.read(reinterpret_cast<char*>(chunk), sizeof chunk) != sizeof chunk)
      return false;
    const qint64 length = qFromLittleEndian<quint32>(chunk + 4);
    const qint64 start = file.pos();
    if (start + length > file.size())
      return false;
    if (std::memcmp(chunk, "data", 4) == 0)
      return haveFormat && length > 0;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      uchar format[16];
      if (length < 16 || file.read(reinterpret_cast<char*>(format), sizeof format) != 16)
        return false;
      const quint16 encoding = qFromLittleEndian<quint16>(format);
      const quint16 channels = qFromLittleEndian<quint16>(format + 2);
      const quint32 rate = qFromLittleEndian<quint32>(format + 4);
      const quint16 bits = qFromLittleEndian<quint16>(format + 14);
      haveFormat = encoding == 1 && channels > 0 && rate > 0 && (bits == 8 || bits == 16);
      if (!haveFormat)
        return false;
    }
    // Chunks are padded to an even length.
    if (!file.seek(start + length + (length & 1)))
      return false;
  }
}

} // namespace

TSoundPlayer::TSoundPlayer(std::function<void()> beep, QObject* parent)
    : QObject(parent), beep_(std::move(beep)) {
}

void TSoundPlayer::Play(const QString& path) {
  if (path.isEmpty())
    return;
  StopCurrent();
  if (!IsPlayableWav(path)) {
    beep_();
    return;
  }
  auto* effect = new QSoundEffect(this);
  effect_ = effect;
  connect(effect, &QSoundEffect::statusChanged, this, &TSoundPlayer::OnStatusChanged);
  effect->setSource(QUrl::fromLocalFile(path));
  // A file that Qt has loaded before reports at once, and an unheard one has
  // been let go (and beeped) by then.
  if (effect_ != effect)
    return;
  // Plays as soon as the file has loaded.
  effect->play();
}

void TSoundPlayer::StopCurrent() {
  if (!effect_)
    return;
  // Disconnected first, so a sound that is cut off never reports a late error.
  effect_->disconnect(this);
  effect_->stop();
  // Later, as this may run inside one of the effect's own signals.
  effect_->deleteLater();
  effect_ = nullptr;
}

void TSoundPlayer::OnStatusChanged() {
  // Without an audio device a good file loads and then stays silent without
  // reporting an error.
  const bool unheard =
      effect_->status() == QSoundEffect::Error ||
      (effect_->status() == QSoundEffect::Ready && QMediaDevices::defaultAudioOutput().isNull());
  if (!unheard)
    return;
  StopCurrent();
  beep_();
}
