#pragma once
// The benchmark tools play a movie's whole timeline: a movie that stops itself (a script's
// stop(), a menu waiting for a click) is started again, as a viewer's Play command would, so
// that the frames measured are spread over the timeline instead of all being the one a script
// holds.

#include "swf/player.h"

namespace vantoro::bench {

// One frame on, as the player ticks; a movie that stopped is set playing again.
inline void tickThrough(swf::Player& player)
{
    player.tick();
    if (!player.isPlaying()) player.play();
}

}  // namespace vantoro::bench
