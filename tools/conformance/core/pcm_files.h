// Reading the sound files a case involves: swfcli's WAV output and the corpus's raw PCM.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace conformance {

// Interleaved signed 16-bit samples.
struct Pcm {
    int channels = 0;
    int sampleRate = 0;
    std::vector<int16_t> samples;
    qsizetype frames() const { return channels ? static_cast<qsizetype>(samples.size()) / channels : 0; }
};

// A RIFF/WAVE file of 16-bit PCM (plain or extensible format). Every chunk size is checked
// against the bytes present; anything else is an error naming what is wrong.
std::optional<Pcm> parseWav(const QByteArray& bytes, QString* error);

// Headerless signed 16-bit little-endian stereo. Its rate is not in the file (sampleRate stays 0;
// corpus_rules.h says what the corpus's .raw files hold).
std::optional<Pcm> parseRawStereo(const QByteArray& bytes, QString* error);

}  // namespace conformance
