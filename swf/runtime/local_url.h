#pragma once
// Where a movie may load other files from: its own folder and the folders below it, never the
// network. A URL a script gives (loadMovie, loadMovieNum) is resolved here to a local path or
// refused with a reason the player logs.

#include <string>
#include <variant>

namespace swf::runtime {

struct LocalFile {
    std::string path;
};
struct RefusedUrl {
    std::string reason;
};

// `url` relative to `baseDirectory` ("menu.swf", "parts/intro.swf?x=1"), or a file: URL inside
// it. Query and fragment are dropped. Network schemes, other schemes, absolute paths outside the
// folder and ".." steps that leave it are refused; so is everything when the movie has no
// folder (it was loaded from memory).
std::variant<LocalFile, RefusedUrl> resolveLocalUrl(const std::string& url, const std::string& baseDirectory);

}  // namespace swf::runtime
