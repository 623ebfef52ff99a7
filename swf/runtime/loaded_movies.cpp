#include "swf/runtime/loaded_movies.h"

#include <fstream>
#include <variant>

#include "swf/format/limits.h"
#include "swf/movie/image_movie.h"

namespace swf::runtime {

FileBytes readMovieFile(const std::string& path)
{
    FileBytes out;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        out.error = "cannot open " + path;
        return out;
    }
    const std::streamoff size = in.tellg();
    if (size < 0) {
        out.error = "cannot read " + path;
        return out;
    }
    // A file can never be larger than the largest movie it could decompress to.
    if (static_cast<std::uint64_t>(size) > limits::kMaxDecompressedSize) {
        out.error = path + " is larger than any movie the player accepts";
        out.tooLarge = true;
        return out;
    }
    out.bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.bytes.data()), size)) {
        out.bytes.clear();
        out.error = "cannot read " + path;
    }
    return out;
}

std::size_t LoadedMovies::footprint(const Movie& movie)
{
    std::size_t bytes = movie.data().size();
    for (const auto& [id, character] : movie.characters())
        if (const auto* b = std::get_if<BitmapCharacter>(&character); b && b->bitmap)
            bytes += b->bitmap->pixels.size() * sizeof(std::uint32_t);
    return bytes;
}

std::size_t LoadedMovies::heldBytes() const
{
    std::size_t total = 0;
    for (const Held& h : held_) total += h.bytes;
    return total;
}

void LoadedMovies::releaseUnused()
{
    const std::size_t before = held_.size();
    std::erase_if(held_, [](const Held& h) { return h.movie.use_count() == 1; });
    if (held_.size() != before && released_) released_();
}

LoadedMovies::Result LoadedMovies::load(const std::string& path)
{
    // Refused before reading when no movie could be taken on anyway.
    releaseUnused();
    if (held_.size() >= limits::kMaxLoadedMovies)
        return {nullptr, "more than " + std::to_string(limits::kMaxLoadedMovies) +
                             " loaded movies at once; " + path + " is not loaded"};
    FileBytes file = readMovieFile(path);
    if (!file.error.empty()) return {nullptr, file.error};
    return load(file.bytes, path);
}

LoadedMovies::Result LoadedMovies::load(std::span<const std::uint8_t> bytes, const std::string& name)
{
    releaseUnused();
    if (held_.size() >= limits::kMaxLoadedMovies)
        return {nullptr, "more than " + std::to_string(limits::kMaxLoadedMovies) +
                             " loaded movies at once; " + name + " is not loaded"};
    // Images (JPEG, PNG, GIF) load as a movie showing the picture.
    MovieLoadResult result = looksLikeImage(bytes) ? loadImageMovie(bytes) : Movie::load(bytes);
    if (!result) return {nullptr, "cannot load " + name + ": " + result.error().message};
    std::shared_ptr<const Movie> movie = result.movie();
    const std::size_t bytesNeeded = footprint(*movie);
    const std::size_t used = heldBytes();
    if (bytesNeeded > limits::kMaxLoadedMovieBytes || used > limits::kMaxLoadedMovieBytes - bytesNeeded)
        return {nullptr, name + " needs " + std::to_string(bytesNeeded / limits::kMiB) +
                             " MiB; loaded movies together may hold " +
                             std::to_string(limits::kMaxLoadedMovieBytes / limits::kMiB) + " MiB"};
    held_.push_back({movie, bytesNeeded});
    return {std::move(movie), {}};
}

}  // namespace swf::runtime
