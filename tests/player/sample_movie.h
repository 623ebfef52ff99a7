#pragma once
// Movies built with the project's SWF writer for the player's tests and screenshots.
//
// The frame movie: a 400 x 200 pixel stage on a dark blue background, whose frame k (1-based)
// is filled with frameColour(k) and shows a white square that moves right from frame to frame.
// Where a frame is shown can be told from the colour at colourProbe(), which the square never
// covers.

#include <cstdint>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>

namespace sample_movie {

inline constexpr int kStageWidth = 400;
inline constexpr int kStageHeight = 200;
inline constexpr QRgb kBackground = 0xff102040;

QRgb frameColour(int frame);
// A stage point whose colour tells the frame shown.
inline constexpr QPointF colourProbe{200, 20};

std::vector<std::uint8_t> frameMovie(int frames, double frameRate);

// Writes `bytes` to `path`; false when the file cannot be written.
bool save(const QString& path, const std::vector<std::uint8_t>& bytes);

}  // namespace sample_movie
