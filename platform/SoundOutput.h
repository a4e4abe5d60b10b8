#pragma once

#include <QString>

#include <functional>

class QObject;

// What plays a WAV file that has passed the player's checks. It lives in a
// module of its own (skarvel_sound), so the audio stack is loaded when a
// first sound plays, not at every start.
class ISoundOutput {
public:
  virtual ~ISoundOutput() = default;
  // Plays `path` as soon as it has loaded and cuts off the sound before.
  // Calls `unheard` once when this sound cannot be heard (a file the audio
  // stack refuses, no audio device); never for a sound cut off.
  virtual void Play(const QString& path, std::function<void()> unheard) = 0;
  // Cuts off the sound playing, which then never reports.
  virtual void Stop() = 0;
};

// The module's one entry point: a new output, a child of `parent`.
using CreateSoundOutputFunction = ISoundOutput* (*)(QObject* parent);
inline constexpr char kCreateSoundOutputSymbol[] = "SkarvelCreateSoundOutput";
