#pragma once
// Everything a part of the display tree is drawn from, written down as a list of words: when
// two lists are equal word for word, the tree walk draws the same pixels from both, so a
// picture drawn from one can stand for the other. The filtered-group pictures (see
// group_pictures.h) are kept under such lists.
//
// The list names definitions by address. Their movies are held (movies()) for as long as the
// list lives, so that no address it names can be reused by other definitions meanwhile.

#include <cstdint>
#include <memory>
#include <vector>

#include "swf/format/geometry.h"
#include "swf/render/effects.h"

namespace swf {
class Movie;
}
namespace swf::runtime {
class DisplayObject;
}

namespace swf::render {

class RenderInputs {
public:
    void add(std::uint64_t word) { words_.push_back(word); }
    void add(double value);
    void add(const Matrix& m);
    void add(const ColorTransform& c);
    void add(const std::vector<Filter>& filters);

    // The object's content as the tree walk draws it: its kind and definition (or text, drawing
    // and bitmap), and for clips and buttons every child's placement (depth, mask depth,
    // visibility, matrix, colour transform, blend mode, filters) and content, down the tree.
    // The object's own placement is not added. False when the tree is deeper than can be
    // described; the list is then incomplete and must not be used.
    bool addContent(const runtime::DisplayObject& object);

    const std::vector<std::uint64_t>& words() const { return words_; }
    const std::vector<std::shared_ptr<const Movie>>& movies() const { return movies_; }

private:
    bool addObject(const runtime::DisplayObject& object, int depthLeft);
    bool addContent(const runtime::DisplayObject& object, int depthLeft);
    void add(const void* address) { words_.push_back(reinterpret_cast<std::uintptr_t>(address)); }
    void addMovieOf(const runtime::DisplayObject& object);

    std::vector<std::uint64_t> words_;
    std::vector<std::shared_ptr<const Movie>> movies_;
};

}  // namespace swf::render
