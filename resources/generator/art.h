#pragma once
// The drawings of the fourteen built-in pictures. Each function paints one role at the
// picture's final pixel size; the encoders in file_encoders.h turn them into files.

#include <QImage>

#include "file_encoders.h"

namespace picture_generator {

// Frames 0 to 4 of the contest banner (88 x 32, 88 x 33, then 90 x 33 pixels).
QImage drawBannerFrame(int index);

// Toolbar images 1 to 6: bevelled button faces with one coloured symbol on light grey.
QImage drawToolbarImage(int index);

// The window icon: a globe showing the Americas.
Icon16 drawGlobeIcon();

// The hand pointer: a hand pointing up with its index finger, tip at columns 12-13 of row 5.
Icon16 drawHandPointer();

// The start-up picture: a snapshot of a person at a harbour railing, 489 x 328 pixels.
QImage drawHarbourScene();

// Small deterministic random numbers, so that every run draws the same pixels.
class Noise {
public:
    explicit Noise(unsigned start) : state_(start ? start : 1u) {}
    unsigned next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    double unit() { return (next() >> 8) / double(1u << 24); }
    // Uniform in [low, high).
    double range(double low, double high) { return low + (high - low) * unit(); }

private:
    unsigned state_;
};

} // namespace picture_generator
