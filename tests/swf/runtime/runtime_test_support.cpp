#include "runtime_test_support.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace swf::runtime::test {
namespace {

const char* kindName(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::MovieClip: return "clip";
    case ObjectKind::Shape: return "shape";
    case ObjectKind::MorphShape: return "morph";
    case ObjectKind::StaticText: return "text";
    case ObjectKind::EditText: return "edit";
    case ObjectKind::Button: return "button";
    case ObjectKind::Bitmap: return "bitmap";
    case ObjectKind::Video: return "video";
    }
    return "?";
}

// `recurse` also shows clips' frames: a single level describes what a timeline placed, which a
// goto and playing must agree on, while the frames of clips inside depend on how long they ran.
void describeOne(std::ostringstream& out, const DisplayObject& o, int indent, bool withIds, bool recurse)
{
    const Placement& p = o.placement();
    const Matrix& m = p.matrix;
    const ColorTransform& c = p.colorTransform;
    out << std::string(static_cast<std::size_t>(indent) * 2, ' ') << o.depth() << ' ' << kindName(o.kind()) << '#'
        << o.characterId();
    if (!p.name.empty()) out << " '" << p.name << "'";
    out << " m=(" << m.a << ',' << m.b << ',' << m.c << ',' << m.d << ',' << m.tx << ',' << m.ty << ")";
    if (!c.isIdentity())
        out << " c=(" << c.rMult << ',' << c.gMult << ',' << c.bMult << ',' << c.aMult << ',' << c.rAdd << ','
            << c.gAdd << ',' << c.bAdd << ',' << c.aAdd << ")";
    if (p.ratio) out << " r=" << p.ratio;
    if (p.clipDepth) out << " clip=" << p.clipDepth;
    if (p.blendMode != BlendMode::Normal) out << " blend=" << static_cast<int>(p.blendMode);
    if (!p.visible) out << " hidden";
    if (recurse && o.kind() == ObjectKind::MovieClip) out << " frame=" << static_cast<const MovieClip&>(o).currentFrame();
    if (withIds) out << " id=" << o.id();
    out << '\n';
    if (const DisplayList* list = o.children(); list && recurse)
        for (const auto& child : list->items()) describeOne(out, *child, indent + 1, withIds, true);
}

}  // namespace

ShapeDefinition square(std::uint16_t id, Rgba color, int size)
{
    ShapeDefinition s;
    s.id = id;
    s.shapeVersion = 3;
    s.bounds = {0, size, 0, size};
    s.edgeBounds = s.bounds;
    FillStyle f;
    f.color = color;
    s.shape.fills = {f};
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = true;
    sc.fill0 = 1;
    const double n = size;
    s.shape.records = {sc, StraightEdge{{n, 0}}, StraightEdge{{n, n}}, StraightEdge{{0, n}}, StraightEdge{{0, 0}}};
    return s;
}

MorphShapeDefinition growingSquare(std::uint16_t id)
{
    MorphShapeDefinition m;
    m.id = id;
    m.morphVersion = 1;
    m.startBounds = m.startEdgeBounds = {0, 200, 0, 200};
    m.endBounds = m.endEdgeBounds = {0, 2000, 0, 2000};
    MorphFillStyle f;
    f.start.color = {255, 0, 0, 255};
    f.end.color = {0, 0, 255, 255};
    m.fills = {f};
    StyleChange sc;
    sc.hasMove = sc.hasFill0 = true;
    sc.fill0 = 1;
    m.startRecords = {sc, StraightEdge{{200, 0}}, StraightEdge{{200, 200}}, StraightEdge{{0, 200}},
                      StraightEdge{{0, 0}}};
    StyleChange ec;
    ec.hasMove = true;
    m.endRecords = {ec, StraightEdge{{2000, 0}}, StraightEdge{{2000, 2000}}, StraightEdge{{0, 2000}},
                    StraightEdge{{0, 0}}};
    return m;
}

std::shared_ptr<const Movie> loadMovie(const std::vector<std::uint8_t>& bytes)
{
    MovieLoadResult r = Movie::load(bytes);
    if (!r) ADD_FAILURE() << r.error().message;
    return r ? r.movie() : nullptr;
}

PlaceObject placeTag(std::uint16_t depth, std::optional<std::uint16_t> characterId, bool move)
{
    PlaceObject p;
    p.placeVersion = 2;
    p.depth = depth;
    p.characterId = characterId;
    p.move = move;
    return p;
}

Matrix translate(double x, double y) { return Matrix{1, 0, 0, 1, x, y}; }

std::string describeTree(const DisplayObject& object, bool withIds)
{
    std::ostringstream out;
    describeOne(out, object, 0, withIds, true);
    return out.str();
}

std::string describeChildren(const MovieClip& clip, bool withIds)
{
    std::ostringstream out;
    for (const auto& child : const_cast<MovieClip&>(clip).displayList().items())
        describeOne(out, *child, 0, withIds, false);
    return out.str();
}

TestFolder::TestFolder(const std::string& prefix)
    : path_(std::filesystem::temp_directory_path() /
            (prefix + ::testing::UnitTest::GetInstance()->current_test_info()->name()))
{
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TestFolder::~TestFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TestFolder::write(const std::string& name, std::span<const std::uint8_t> bytes) const
{
    std::ofstream(path_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void TestFolder::write(const std::string& name, std::string_view bytes) const
{
    std::ofstream(path_ / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace swf::runtime::test
