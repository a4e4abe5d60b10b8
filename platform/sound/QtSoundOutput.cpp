#include "platform/sound/QtSoundOutput.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

#include <utility>

extern "C" Q_DECL_EXPORT ISoundOutput* SkarvelCreateSoundOutput(QObject* parent) {
  return new TQtSoundOutput(parent);
}

void TQtSoundOutput::Play(const QString& path, std::function<void()> unheard) {
  Stop();
  unheard_ = std::move(unheard);
  auto* effect = new QSoundEffect(this);
  effect_ = effect;
  connect(effect, &QSoundEffect::statusChanged, this, &TQtSoundOutput::OnStatusChanged);
  effect->setSource(QUrl::fromLocalFile(path));
  // A file that Qt has loaded before reports at once, and an unheard one has
  // been let go (and reported) by then.
  if (effect_ != effect)
    return;
  // Plays as soon as the file has loaded.
  effect->play();
}

void TQtSoundOutput::Stop() {
  if (!effect_)
    return;
  // Disconnected first, so a sound that is cut off never reports a late error.
  effect_->disconnect(this);
  effect_->stop();
  // Later, as this may run inside one of the effect's own signals.
  effect_->deleteLater();
  effect_ = nullptr;
}

void TQtSoundOutput::OnStatusChanged() {
  // Without an audio device a good file loads and then stays silent without
  // reporting an error.
  const bool unheard =
      effect_->status() == QSoundEffect::Error ||
      (effect_->status() == QSoundEffect::Ready && QMediaDevices::defaultAudioOutput().isNull());
  if (!unheard)
    return;
  Stop();
  const std::function<void()> report = std::move(unheard_);
  unheard_ = nullptr;
  report();
}
