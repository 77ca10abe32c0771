#pragma once
// Short sound files for tests of the real media player, and the setting
// that makes the player work without a sound card.

#include <cstdint>

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

namespace vantora::test {

// A mono 16-bit PCM WAV file of a square wave lasting ms milliseconds.
inline void WriteWav(const QString& path, int ms) {
  const int rate = 8000;
  const std::uint32_t samples = std::uint32_t(rate * ms / 1000);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  f.write("RIFF");
  u32(36 + samples * 2);
  f.write("WAVEfmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  f.write("data");
  u32(samples * 2);
  for (std::uint32_t i = 0; i < samples; ++i) {
    const std::int16_t s = (i % 20 < 10) ? 3000 : -3000;
    f.write(reinterpret_cast<const char*>(&s), 2);
  }
}

// A standard MIDI file (format 0) of one note held for half a second.
inline void WriteMidi(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  const unsigned char header[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  // Delta 0 note on (middle C), delta 96 ticks (one beat at 120 bpm) note
  // off, then the end of the track.
  const unsigned char events[] = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  const unsigned char trackHeader[] = {'M', 'T', 'r', 'k', 0, 0, 0, sizeof(events)};
  f.write(reinterpret_cast<const char*>(header), sizeof(header));
  f.write(reinterpret_cast<const char*>(trackHeader), sizeof(trackHeader));
  f.write(reinterpret_cast<const char*>(events), sizeof(events));
}

// With no sound card the backend falls back to a sink that keeps real time
// and reports the end; this makes it do so on a machine that has audio too.
inline void UseFakeAudioSink() {
  qputenv("GST_PLUGIN_FEATURE_RANK",
          "pulsesink:NONE,alsasink:NONE,jackaudiosink:NONE,oss4sink:NONE,osssink:NONE,"
          "openalsink:NONE");
}

}  // namespace vantora::test
