#pragma once
// What the player shows in its own area in place of a movie that cannot be played: a short
// Chinese headline, a line saying in Chinese what is wrong, and the technical reason beneath.

#include <exception>

#include <QString>

#include "swf/player.h"

struct UnplayableMovie {
    QString headline;
    QString problem;
    QString reason;

    // The three lines, one under the other.
    QString text() const { return headline + QLatin1Char('\n') + problem + QLatin1Char('\n') + reason; }
};

UnplayableMovie describeLoadFailure(const swf::LoadError& failure);
// Any other failure while loading (out of memory, an engine fault).
UnplayableMovie describeLoadFailure(const std::exception& failure);
// The control has no engine to play movies with.
UnplayableMovie describeMissingEngine();
