#pragma once
// Problems in sound data do not stop a movie: decoders and channels report them through a
// handler the owner supplies (the player forwards them to its warning callback).

#include <functional>
#include <string>

namespace swf::audio {

using WarningHandler = std::function<void(const std::string&)>;

inline void warn(const WarningHandler& handler, const std::string& message)
{
    if (handler) handler(message);
}

}  // namespace swf::audio
