// Writes the default notification sound, users.wav: a short two-note chime,
// synthesised here so the program ships no recording from elsewhere.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

void PutLittleEndian(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// One note with a soft attack and an exponential fade, plus a quiet octave.
void AddNote(std::vector<double>& samples, double startSeconds, double frequency, double seconds) {
  const std::size_t first = static_cast<std::size_t>(startSeconds * kRate);
  const std::size_t count = static_cast<std::size_t>(seconds * kRate);
  if (samples.size() < first + count)
    samples.resize(first + count, 0.0);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double envelope = std::min(1.0, t / 0.005) * std::exp(-t * 6.0);
    const double phase = 2.0 * std::numbers::pi * frequency * t;
    samples[first + i] += envelope * (0.8 * std::sin(phase) + 0.2 * std::sin(2.0 * phase));
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skarvel-write-chime <file.wav>\n");
    return 2;
  }
  std::vector<double> samples;
  AddNote(samples, 0.00, 880.00, 0.45);  // A5
  AddNote(samples, 0.12, 1318.51, 0.55); // E6

  std::string data;
  for (const double sample : samples) {
    const double clamped = std::max(-1.0, std::min(1.0, sample * 0.45));
    PutLittleEndian(data, static_cast<uint16_t>(static_cast<int16_t>(clamped * 32767.0)), 2);
  }
  std::string wav = "RIFF";
  PutLittleEndian(wav, static_cast<uint32_t>(36 + data.size()), 4);
  wav += "WAVEfmt ";
  PutLittleEndian(wav, 16, 4);
  PutLittleEndian(wav, 1, 2); // PCM
  PutLittleEndian(wav, 1, 2); // mono
  PutLittleEndian(wav, kRate, 4);
  PutLittleEndian(wav, kRate * 2, 4);
  PutLittleEndian(wav, 2, 2);
  PutLittleEndian(wav, 16, 2);
  wav += "data";
  PutLittleEndian(wav, static_cast<uint32_t>(data.size()), 4);
  wav += data;

  std::ofstream out(argv[1], std::ios::binary);
  out << wav;
  return out.good() ? 0 : 1;
}
