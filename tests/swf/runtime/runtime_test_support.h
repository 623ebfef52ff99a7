#pragma once
// Shared helpers of the runtime tests: small characters, loading a written movie, and a text
// picture of a display tree to compare states.

#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/swf_writer.h"
#include "swf/movie/movie.h"
#include "swf/runtime/display_list.h"
#include "swf/runtime/movie_clip.h"
#include "swf/runtime/stage.h"

namespace swf::runtime::test {

// A filled square of `size` twips from the origin.
ShapeDefinition square(std::uint16_t id, Rgba color, int size = 200);
// A morph from a small red square to a big blue one.
MorphShapeDefinition growingSquare(std::uint16_t id);

std::shared_ptr<const Movie> loadMovie(const std::vector<std::uint8_t>& bytes);

PlaceObject placeTag(std::uint16_t depth, std::optional<std::uint16_t> characterId, bool move);
Matrix translate(double x, double y);

// One line per object, depth first: "depth kind#char name m=(...) c=(...) r=ratio clip=n",
// children indented; clips also show their frame. `withIds` adds each object's id, to compare
// identities.
std::string describeTree(const DisplayObject& object, bool withIds = false);
// Only the clip's own children, one level.
std::string describeChildren(const MovieClip& clip, bool withIds = false);

// A folder of the running test's own under the temporary directory (named after the test),
// emptied when made and removed with this object: the movies and texts a test's scripts load.
class TestFolder {
public:
    explicit TestFolder(const std::string& prefix);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::string string() const { return path_.string(); }
    void write(const std::string& name, std::span<const std::uint8_t> bytes) const;
    void write(const std::string& name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

}  // namespace swf::runtime::test
