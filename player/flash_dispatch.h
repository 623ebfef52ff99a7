#pragma once
// The player control's automation interface: late-bound calls by dispatch id with variant
// arguments, as the window's handlers make them. The control (ShockwaveFlash) implements it and
// turns the calls into engine calls; tests put a recording implementation in its place.

#include <QVariant>
#include <QVariantList>

namespace flash_dispid {
inline constexpr int Movie = 102;    // property: the full path of the movie to load
inline constexpr int Play = 112;     // method: run the movie on from the current frame
inline constexpr int Stop = 113;     // method: halt on the current frame
inline constexpr int Back = 114;     // method: one frame back
inline constexpr int Forward = 115;  // method: one frame on
inline constexpr int Rewind = 116;   // method: to the first frame
inline constexpr int Playing = 125;  // property: whether the movie runs
}  // namespace flash_dispid

// Automation booleans: true is -1, false is 0.
inline constexpr int kVariantTrue = -1;
inline constexpr int kVariantFalse = 0;

class FlashDispatch {
public:
    virtual ~FlashDispatch() = default;

    // A property put. Throws ViewerError for an unknown id or a value of the wrong type.
    virtual void putProperty(int dispid, const QVariant& value) = 0;
    // A method call. Throws ViewerError for an unknown id or the wrong number of arguments.
    virtual void invoke(int dispid, const QVariantList& arguments) = 0;
};
