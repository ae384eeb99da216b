#include "spectrum/noise_stream.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kdsp {

namespace {

template <typename T>
void Put(char* at, T value) {
  std::memcpy(at, &value, sizeof(T));
}

}  // namespace

qint64 NoiseStream::bytesAvailable() const {
  // Noise never runs out; a generous figure keeps a pulling sink reading.
  return QIODevice::bytesAvailable() + (1 << 16);
}

qint64 NoiseStream::writeData(const char*, qint64) { return -1; }  // read only

qint64 NoiseStream::readData(char* data, qint64 max_len) {
  const int channels = std::max(1, format_.channelCount());
  const int sample_bytes = format_.bytesPerSample();
  if (sample_bytes <= 0) return 0;
  const qint64 frame_bytes = static_cast<qint64>(channels) * sample_bytes;
  const qint64 frames = max_len / frame_bytes;
  const double level = wanted_level_dbfs_.load();
  if (level != noise_.LevelDbfs()) noise_.SetLevelDbfs(level);
  char* at = data;
  for (qint64 f = 0; f < frames; ++f) {
    const float s = noise_.Next();
    for (int c = 0; c < channels; ++c, at += sample_bytes) {
      switch (format_.sampleFormat()) {
        case QAudioFormat::UInt8:
          Put(at, static_cast<std::uint8_t>(std::lround(128.0f + 127.0f * s)));
          break;
        case QAudioFormat::Int16:
          Put(at, static_cast<std::int16_t>(std::lround(32767.0f * s)));
          break;
        case QAudioFormat::Int32:
          Put(at, static_cast<std::int32_t>(std::llround(2147483647.0 * s)));
          break;
        case QAudioFormat::Float:
          Put(at, s);
          break;
        default:
          std::memset(at, 0, static_cast<std::size_t>(sample_bytes));
          break;
      }
    }
  }
  frames_read_.fetch_add(frames);
  return frames * frame_bytes;
}

}  // namespace kdsp
