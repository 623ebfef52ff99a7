#pragma once
// The movies scripts load into clips and levels (loadMovie, loadMovieNum): SWF files, and JPEG,
// PNG and GIF images as movies of one frame showing the picture. Display objects share
// ownership of the movie they come from; this holder keeps a reference too, so that a movie is
// released only here, when a later load finds nothing else holding it. Caches that key on the
// addresses of a movie's definitions (the renderer's) hear of every release before a new movie
// can take the freed memory.
//
// How many movies are held at once and their memory together are bounded (swf/format/limits.h):
// a load past either bound is refused with the reason, never a crash.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "swf/movie/movie.h"

namespace swf::runtime {

class LoadedMovies {
public:
    struct Result {
        std::shared_ptr<const Movie> movie;  // null when refused
        std::string error;                   // why, when refused
    };

    // `released`: called (possibly several times per load) when held movies are let go.
    explicit LoadedMovies(std::function<void()> released = {}) : released_(std::move(released)) {}

    // Reads and parses the file at `path`, within the limits.
    Result load(const std::string& path);
    // The same for bytes in memory (`name` for messages).
    Result load(std::span<const std::uint8_t> bytes, const std::string& name);

    std::size_t count() const { return held_.size(); }
    std::size_t heldBytes() const;
    // What a movie holds in memory, as counted against the limit: its decompressed file and its
    // decoded bitmaps.
    static std::size_t footprint(const Movie& movie);

private:
    struct Held {
        std::shared_ptr<const Movie> movie;
        std::size_t bytes = 0;
    };
    void releaseUnused();

    std::function<void()> released_;
    std::vector<Held> held_;
};

// The whole file at `path`, or an error message (missing, unreadable, larger than any movie).
struct FileBytes {
    std::vector<std::uint8_t> bytes;
    std::string error;
    bool tooLarge = false;
};
FileBytes readMovieFile(const std::string& path);

}  // namespace swf::runtime
