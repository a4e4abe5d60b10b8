#include "platform/SoundPlayer.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibrary>
#include <QtEndian>

#include <cstring>
#include <utility>

#include "platform/SoundOutput.h"

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

TSoundPlayer::TSoundPlayer(std::function<void()> beep, QStringList modules, QObject* parent)
    : QObject(parent), beep_(std::move(beep)), modules_(std::move(modules)) {
}

QStringList TSoundPlayer::InstalledModules() {
  const QString folder = QCoreApplication::applicationDirPath();
  return {folder + QStringLiteral("/libskarvel_sound.so"),
          folder + QStringLiteral("/" SKARVEL_BIN_TO_PKGLIBDIR "/libskarvel_sound.so")};
}

void TSoundPlayer::Play(const QString& path) {
  if (path.isEmpty())
    return;
  if (!IsPlayableWav(path)) {
    // The sound before is cut off all the same.
    if (output_)
      output_->Stop();
    beep_();
    return;
  }
  if (ISoundOutput* output = Output())
    output->Play(path, beep_);
  else
    beep_();
}

ISoundOutput* TSoundPlayer::Output() {
  if (loadTried_)
    return output_;
  loadTried_ = true;
  for (const QString& file : modules_) {
    QLibrary module(file);
    const auto create =
        reinterpret_cast<CreateSoundOutputFunction>(module.resolve(kCreateSoundOutputSymbol));
    if (create) {
      // The module stays loaded: the output lives as long as the player.
      output_ = create(this);
      break;
    }
  }
  return output_;
}
