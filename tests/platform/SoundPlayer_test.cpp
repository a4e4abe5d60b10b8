#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/SoundPlayer.h"
#include "tests/support/TempDir.h"

namespace {

void AppendLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

std::string Chunk(const std::string& id, const std::string& body) {
  std::string chunk = id;
  AppendLittleEndian(chunk, static_cast<uint32_t>(body.size()), 4);
  return chunk + body;
}

struct WavShape {
  uint16_t encoding = 1; // PCM
  uint16_t channels = 1;
  uint32_t rate = 8000;
  uint16_t bits = 16;
  std::string beforeData = {}; // chunks between the format and the samples
  uint32_t sampleBytes = 1600;
  std::optional<uint32_t> claimedSampleBytes = {};
  bool withData = true;
};

// A short square wave, unless told otherwise.
std::string Wav(const WavShape& shape) {
  std::string format;
  AppendLittleEndian(format, shape.encoding, 2);
  AppendLittleEndian(format, shape.channels, 2);
  AppendLittleEndian(format, shape.rate, 4);
  AppendLittleEndian(format, shape.rate * shape.channels * shape.bits / 8, 4);
  AppendLittleEndian(format, shape.channels * shape.bits / 8, 2);
  AppendLittleEndian(format, shape.bits, 2);
  std::string body = "WAVE" + Chunk("fmt ", format) + shape.beforeData;
  if (shape.withData) {
    std::string samples;
    for (uint32_t i = 0; i < shape.sampleBytes; ++i)
      samples.push_back(static_cast<char>((i / 40) % 2 ? 0x04 : 0xfc));
    std::string data = "data";
    AppendLittleEndian(data, shape.claimedSampleBytes.value_or(shape.sampleBytes), 4);
    body += data + samples;
  }
  return Chunk("RIFF", body);
}

bool HasAudioDevice() {
  return !QMediaDevices::defaultAudioOutput().isNull();
}

class SoundPlayerTest : public ::testing::Test {
protected:
  QString File(const std::string& name) const { return QString::fromStdString(folder_.file(name)); }
  QString Write(const std::string& name, const std::string& content) const {
    folder_.write(name, content);
    return File(name);
  }
  bool WaitForBeeps(int count) {
    return QTest::qWaitFor([&] { return beeps_ >= count; }, 5000);
  }
  // Runs what is pending and deletes what was let go, so a sound that could
  // still report would have done so.
  void Settle() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  int LiveEffects() const { return static_cast<int>(player_.findChildren<QSoundEffect*>().size()); }

  TempDir folder_;
  int beeps_ = 0;
  TSoundPlayer player_{[this] { ++beeps_; }, {QStringLiteral(SKARVEL_SOUND_MODULE)}};
};

struct RefusedCase {
  const char* name;
  std::string content;
};

class RefusedSoundTest : public SoundPlayerTest,
                         public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSoundTest, BeepsExactlyOnceAndKeepsNoEffect) {
  player_.Play(Write("sound.wav", GetParam().content));
  ASSERT_TRUE(WaitForBeeps(1));
  Settle();
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(LiveEffects(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedSoundTest,
    ::testing::Values(
        RefusedCase{"Empty", ""},
        RefusedCase{"PlainText", "this is plain text, not a sound at all"},
        RefusedCase{"NotWave", Chunk("RIFF", "AVI ")},
        RefusedCase{"FloatSamples", Wav({.encoding = 3})},
        RefusedCase{"TwentyFourBit", Wav({.bits = 24})},
        RefusedCase{"NoChannels", Wav({.channels = 0})},
        RefusedCase{"NoSampleRate", Wav({.rate = 0})},
        RefusedCase{"NoDataChunk", Wav({.withData = false})},
        RefusedCase{"NoSamples", Wav({.sampleBytes = 0})},
        RefusedCase{"ClaimsMoreSamplesThanItHas", Wav({.claimedSampleBytes = 100000})},
        RefusedCase{"ChunkLongerThanTheFile", Wav({.beforeData = "LIST\xff\xff\xff\x7f"})}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(SoundPlayerTest, EveryEarlyEndOfAGoodFileBeepsOnce) {
  const std::string good = Wav({});
  for (size_t length = 0; length < good.size(); ++length) {
    player_.Play(Write("cut.wav", good.substr(0, length)));
    ASSERT_TRUE(WaitForBeeps(static_cast<int>(length) + 1)) << "cut at " << length;
  }
  Settle();
  EXPECT_EQ(beeps_, static_cast<int>(good.size()));
  EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(SoundPlayerTest, PathsThatAreNoFileBeepOnceEach) {
  player_.Play(File("missing.wav"));
  player_.Play(QString::fromStdString(folder_.path().string()));
  Settle();
  EXPECT_EQ(beeps_, 2);
  EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(SoundPlayerTest, EmptyPathDoesNothingNotEvenCutOffTheCurrentSound) {
  player_.Play(QString());
  EXPECT_EQ(beeps_, 0);
  EXPECT_EQ(LiveEffects(), 0);

  player_.Play(Write("good.wav", Wav({})));
  player_.Play(QString());
  EXPECT_EQ(LiveEffects(), 1);
}

TEST_F(SoundPlayerTest, ASoundCutOffWhileLoadingNeverReports) {
  player_.Play(Write("good.wav", Wav({})));
  // Qt's loader thread may finish before the effect asks, and then a machine
  // without a device reports the good sound at once: that beep is no late one.
  const int reportedAtOnce = beeps_;
  player_.Play(File("missing.wav"));
  Settle();
  EXPECT_EQ(beeps_, reportedAtOnce + 1);
  EXPECT_EQ(LiveEffects(), 0);
}

// The audio stack comes as a module; a program without it still signals.
TEST_F(SoundPlayerTest, WithoutAUsableModuleEveryGoodSoundBeeps) {
  const QString notALibrary = Write("libskarvel_sound.so", "not a library");
  for (const QString& module : {File("missing/libskarvel_sound.so"), notALibrary}) {
    int beeps = 0;
    TSoundPlayer player([&beeps] { ++beeps; }, {module});
    const QString path = Write("good.wav", Wav({}));
    player.Play(path);
    player.Play(path);
    EXPECT_EQ(beeps, 2) << module.toStdString();
    EXPECT_TRUE(player.findChildren<QSoundEffect*>().isEmpty());
  }
}

TEST_F(SoundPlayerTest, ModulesAreTriedInTurn) {
  TSoundPlayer player([this] { ++beeps_; },
                      {File("missing/libskarvel_sound.so"), QStringLiteral(SKARVEL_SOUND_MODULE)});
  player.Play(Write("good.wav", Wav({})));
  EXPECT_EQ(player.findChildren<QSoundEffect*>().size(), 1);
}

// Qt loads a good file, finds no device and stays silent without an error, so
// the player beeps; a machine with a device plays it, which no test can hear.
class SoundWithoutDeviceTest : public SoundPlayerTest {
protected:
  void SetUp() override {
    if (HasAudioDevice())
      GTEST_SKIP() << "an audio device is present";
  }
};

TEST_F(SoundWithoutDeviceTest, AGoodWavBeepsOncePerPlay) {
  const QString path = Write("good.wav", Wav({.bits = 8}));
  player_.Play(path);
  ASSERT_TRUE(WaitForBeeps(1));
  player_.Play(path);
  ASSERT_TRUE(WaitForBeeps(2));
  Settle();
  EXPECT_EQ(beeps_, 2);
  EXPECT_EQ(LiveEffects(), 0);
}

// Qt shares loaded samples between effects: a file that is loaded already
// reports its status while the source is being set, before Play goes on.
TEST_F(SoundWithoutDeviceTest, AFileLoadedAlreadyBeepsOnceAndGoesOn) {
  const QString path = Write("good.wav", Wav({}));
  QSoundEffect loaded;
  loaded.setSource(QUrl::fromLocalFile(path));
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.status() == QSoundEffect::Ready; }, 5000));

  player_.Play(path);
  player_.Play(path);
  ASSERT_TRUE(WaitForBeeps(2));
  Settle();
  EXPECT_EQ(beeps_, 2);
  EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(SoundWithoutDeviceTest, OnlyTheLastOfQuickSuccessiveSoundsBeeps) {
  player_.Play(Write("first.wav", Wav({})));
  player_.Play(Write("second.wav", Wav({.rate = 11025})));
  ASSERT_TRUE(WaitForBeeps(1));
  Settle();
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(LiveEffects(), 0);
}

TEST_F(SoundWithoutDeviceTest, AFileQtRefusesWhileLoadingBeepsOnce) {
  // Qt 6.4 does not skip the pad byte after an odd-sized chunk.
  player_.Play(Write("odd.wav", Wav({.beforeData = Chunk("LIST", "abc") + '\0'})));
  ASSERT_TRUE(WaitForBeeps(1));
  Settle();
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(LiveEffects(), 0);
}

} // namespace
