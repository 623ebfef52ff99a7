// Building small corpus folders and a stand-in swfcli for the conformance runner's tests.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

namespace conformance::testing {

// Writes `bytes` to `root/relativePath`, creating folders.
QString writeFile(const QString& root, const QString& relativePath, const QByteArray& bytes);

QImage solidImage(int width, int height, QColor color);
QByteArray pngBytes(const QImage& image);

// A 16-bit PCM WAV of interleaved samples.
QByteArray wavBytes(const std::vector<int16_t>& interleaved, int channels, int sampleRate);
QByteArray rawBytes(const std::vector<int16_t>& interleaved);

// A shell script standing in for swfcli. `features` answers `swfcli features` (with
// `answersFeatures` false it exits 2 as an old build would). For `run MOVIE ...` it reads files
// beside the movie: MOVIE.fake-trace is printed with --trace, MOVIE.fake-png (or
// MOVIE.fake-png-N for --at N) is copied to --png, MOVIE.fake-wav to --wav, MOVIE.fake-sleep
// makes it sleep that many seconds, MOVIE.fake-exit makes it fail with that code. Every run
// appends its arguments as one line to MOVIE.fake-args.
QString writeFakeSwfcli(const QString& folder, const QStringList& features, bool answersFeatures = true);

// The lines of MOVIE.fake-args.
QStringList recordedRuns(const QString& movie);

}  // namespace conformance::testing
