// The edge model: fill contours from fill0/fill1 edges in any order and direction, holes,
// drawing layers, winding rules, stroke paths and malformed indices.

#include <algorithm>
#include <random>

#include "render_test_support.h"
#include "swf/render/shape_geometry.h"

namespace swf::render::test {
namespace {

// The four sides of the 400-twip square at (0,0) as separate, self-positioned edges. `forward`
// sides run clockwise on screen (inside on their right: fill1); the others run backwards
// (inside on their left: fill0).
std::vector<std::vector<ShapeRecord>> squareSides(double x0, double y0, double x1, double y1, std::uint32_t fill,
                                                   const std::vector<bool>& forward)
{
    const Point corners[4] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    std::vector<std::vector<ShapeRecord>> sides;
    for (int i = 0; i < 4; ++i) {
        const Point a = corners[i], b = corners[(i + 1) % 4];
        if (forward[std::size_t(i)])
            sides.push_back({moveSelect(a.x, a.y, 0, fill, 0), lineTo(b.x, b.y)});
        else
            sides.push_back({moveSelect(b.x, b.y, fill, 0, 0), lineTo(a.x, a.y)});
    }
    return sides;
}

TEST(ShapeGeometry, ShuffledAndReversedEdgesFillTheirRegion)
{
    std::mt19937 random(7);
    for (int round = 0; round < 8; ++round) {
        std::vector<bool> forward(4);
        for (int i = 0; i < 4; ++i) forward[std::size_t(i)] = (random() & 1) != 0;
        auto sides = squareSides(100, 100, 500, 500, 1, forward);
        std::shuffle(sides.begin(), sides.end(), random);
        std::vector<ShapeRecord> records;
        for (auto& s : sides) records.insert(records.end(), s.begin(), s.end());
        const ShapeDefinition shape = shapeOf({solid(kRed)}, {}, records);

        Canvas canvas;
        canvas.ctx().drawShape(shape, {}, {});
        const QImage& img = canvas.finish();
        EXPECT_TRUE(near(img.pixel(15, 15), kRed)) << "round " << round;
        EXPECT_TRUE(near(img.pixel(6, 6), kRed)) << "round " << round;
        EXPECT_TRUE(near(img.pixel(3, 3), kWhite)) << "round " << round;
        EXPECT_TRUE(near(img.pixel(30, 30), kWhite)) << "round " << round;
    }
}

TEST(ShapeGeometry, AdjacentRegionsShareAnEdgeWithFillsOnBothSides)
{
    // Left half red (1), right half blue (2); the shared middle edge runs down with red on its
    // right (fill1) and blue on its left (fill0). Outer edges are given in scrambled order.
    std::vector<ShapeRecord> r;
    r.push_back(moveSelect(400, 0, 2, 1, 0));
    r.push_back(lineTo(400, 400));
    r.push_back(moveSelect(0, 400, 0, 1, 0));
    r.push_back(lineTo(0, 0));
    r.push_back(lineTo(400, 0));
    r.push_back(moveSelect(400, 0, 0, 2, 0));
    r.push_back(lineTo(800, 0));
    r.push_back(lineTo(800, 400));
    r.push_back(lineTo(400, 400));
    r.push_back(moveSelect(400, 400, 0, 1, 0));
    r.push_back(lineTo(0, 400));
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid(kRed), solid(kBlue)}, {}, r), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(10, 10), kRed));
    EXPECT_TRUE(near(img.pixel(30, 10), kBlue));
    EXPECT_TRUE(near(img.pixel(10, 30), kWhite));
}

TEST(ShapeGeometry, SharedEdgesShowNoSeamAndHolesStayOpen)
{
    // Red above and blue below a diagonal from (0,0) to (800,600) twips, over a white canvas,
    // with a square hole (no fill) in the red part.
    std::vector<ShapeRecord> r;
    r.push_back(moveSelect(0, 0, 1, 2, 0));  // the diagonal, running down-right: red on its left
    r.push_back(lineTo(800, 600));
    r.push_back(moveSelect(0, 0, 0, 1, 0));  // clockwise round the red triangle: red on the right
    r.push_back(lineTo(800, 0));
    r.push_back(lineTo(800, 600));
    r.push_back(moveSelect(0, 0, 2, 0, 0));  // down the left side: blue on its left
    r.push_back(lineTo(0, 600));
    r.push_back(lineTo(800, 600));
    // A hole in the red part: a square whose edges have red on their outer side only.
    addRect(r, 560, 60, 720, 220, 1, 0);
    const ShapeDefinition shape = shapeOf({solid(kRed), solid(kBlue)}, {}, r);
    Canvas canvas(40, 30);
    canvas.ctx().drawShape(shape, {}, {});
    const QImage& img = canvas.finish();
    dumpPng(img, "seam");
    // Along the diagonal no white shows through: green stays near zero.
    for (int x = 2; x < 38; ++x) {
        const int y = int(x * 0.75);
        for (int dy = -1; dy <= 1; ++dy) EXPECT_LT(qGreen(img.pixel(x, y + dy)), 12) << x << "," << y + dy;
    }
    EXPECT_TRUE(near(img.pixel(37, 20), kRed));
    EXPECT_TRUE(near(img.pixel(5, 25), kBlue));
    EXPECT_TRUE(near(img.pixel(32, 7), kWhite));  // inside the hole
}

TEST(ShapeGeometry, Fill0InnerContourCutsAHole)
{
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 800, 800, 0, 1);      // outer, inside on the right
    addRect(r, 200, 200, 600, 600, 1, 0);  // inner, drawn the same way: the fill is outside it
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid(kRed)}, {}, r), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(20, 20), kWhite));
    EXPECT_TRUE(near(img.pixel(5, 5), kRed));
    EXPECT_TRUE(near(img.pixel(35, 20), kRed));
}

TEST(ShapeGeometry, WindingRuleDecidesOverlapOfOneStyle)
{
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 600, 600, 0, 1);
    addRect(r, 200, 200, 800, 800, 0, 1);
    for (bool nonZero : {false, true}) {
        Canvas canvas;
        canvas.ctx().drawShape(shapeOf({solid(kRed)}, {}, r, nonZero), {}, {});
        const QImage& img = canvas.finish();
        EXPECT_TRUE(near(img.pixel(20, 20), nonZero ? kRed : kWhite)) << nonZero;
        EXPECT_TRUE(near(img.pixel(5, 5), kRed));
    }
}

TEST(ShapeGeometry, NewStylesStartALayerDrawnAbove)
{
    // First layer: blue square over everything; second layer (new arrays, index 1 again): a red
    // square inside it. Then the reverse, so that record order, not colour, decides.
    for (bool redOnTop : {true, false}) {
        const Rgba below = redOnTop ? kBlue : kRed, above = redOnTop ? kRed : kBlue;
        std::vector<ShapeRecord> r;
        addRect(r, 0, 0, 800, 800, 0, 1);
        StyleChange fresh;
        fresh.hasNewStyles = true;
        fresh.newFills = {solid(above)};
        r.push_back(fresh);
        addRect(r, 200, 200, 600, 600, 0, 1);
        Canvas canvas;
        canvas.ctx().drawShape(shapeOf({solid(below)}, {}, r), {}, {});
        const QImage& img = canvas.finish();
        EXPECT_TRUE(near(img.pixel(20, 20), above));
        EXPECT_TRUE(near(img.pixel(5, 5), below));
    }
}

TEST(ShapeGeometry, LayersKeepFillsBelowStrokesWithinEachLayer)
{
    const ShapeData shape{{solid(kRed)}, {line(40, kBlack)}, {}};
    ShapeData s = shape;
    addRect(s.records, 0, 0, 400, 400, 0, 1, 1);
    StyleChange fresh;
    fresh.hasNewStyles = true;
    fresh.newFills = {solid(kBlue)};
    s.records.push_back(fresh);
    addRect(s.records, 200, 200, 600, 600, 0, 1);
    const ShapeGeometry g = buildShapeGeometry(s, false);
    ASSERT_EQ(g.layers.size(), 2u);
    EXPECT_EQ(g.layers[0].fillPaths.size(), 1u);
    EXPECT_EQ(g.layers[0].strokePaths.size(), 1u);
    EXPECT_EQ(g.layers[1].strokePaths.size(), 0u);
    // The second layer's fill covers the first layer's stroke where they cross.
    Canvas canvas;
    ShapeDefinition d;
    d.shape = s;
    canvas.ctx().drawShape(d, {}, {});
    EXPECT_TRUE(near(canvas.at(20, 15), kBlue));
}

TEST(ShapeGeometry, UnclosedChainIsClosedWithAStraightSegment)
{
    std::vector<ShapeRecord> r{moveSelect(0, 0, 0, 1, 0), lineTo(800, 0), lineTo(800, 800)};
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid(kRed)}, {}, r), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(30, 10), kRed));  // inside the triangle
    EXPECT_TRUE(near(img.pixel(10, 30), kWhite));
}

TEST(ShapeGeometry, IndicesOutOfRangeSelectNothing)
{
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 800, 800, 7, 3, 9);
    const ShapeGeometry g = buildShapeGeometry({{solid(kRed)}, {line(20, kBlack)}, r}, false);
    EXPECT_TRUE(g.empty());
    // Selections count against the arrays in force: after new arrays with one style, index 2 of
    // the old two-style array is out of range.
    ShapeData s{{solid(kRed), solid(kBlue)}, {}, {}};
    s.records.push_back(select(0, 2, 0));
    StyleChange fresh;
    fresh.hasNewStyles = true;
    fresh.newFills = {solid(kGreen)};
    s.records.push_back(fresh);
    addRect(s.records, 0, 0, 400, 400, 0, 0);
    s.records.push_back(moveTo(0, 0));
    s.records.push_back(lineTo(400, 0));
    EXPECT_TRUE(buildShapeGeometry(s, false).empty());
}

TEST(ShapeGeometry, CurvedEdgesJoinContours)
{
    std::vector<ShapeRecord> r{moveSelect(0, 400, 0, 1, 0), curveTo(400, -400, 800, 400), lineTo(0, 400)};
    Canvas canvas;
    canvas.ctx().drawShape(shapeOf({solid(kRed)}, {}, r), {}, {});
    const QImage& img = canvas.finish();
    EXPECT_TRUE(near(img.pixel(20, 15), kRed));   // under the arch
    EXPECT_TRUE(near(img.pixel(3, 3), kWhite));   // outside the curve near the top corner
}

TEST(ShapeGeometry, StrokePathsEndAtMovesAndLineChanges)
{
    ShapeData s{{}, {line(20, kBlack), line(20, kRed)}, {}};
    s.records.push_back(moveSelect(0, 0, 0, 0, 1));
    s.records.push_back(lineTo(100, 0));
    s.records.push_back(lineTo(100, 100));
    s.records.push_back(select(0, 0, 2));  // line change: a new path of style 2
    s.records.push_back(lineTo(0, 100));
    s.records.push_back(select(0, 0, 1));
    s.records.push_back(lineTo(0, 0));
    s.records.push_back(moveTo(500, 500));  // move: a new subpath of style 1
    s.records.push_back(lineTo(600, 500));
    const ShapeGeometry g = buildShapeGeometry(s, false);
    ASSERT_EQ(g.layers.size(), 1u);
    ASSERT_EQ(g.layers[0].strokePaths.size(), 2u);
    const QPainterPath& first = g.layers[0].strokePaths[0].path;
    EXPECT_EQ(g.layers[0].strokePaths[0].style, 0u);
    int moves = 0;
    for (int i = 0; i < first.elementCount(); ++i) moves += first.elementAt(i).isMoveTo();
    EXPECT_EQ(moves, 3);  // (0,0)-(100,0)-(100,100); (0,100)-(0,0); (500,500)-(600,500)
}

TEST(ShapeGeometry, HitTestFollowsFillsHolesAndStrokes)
{
    ShapeData s{{solid(kRed)}, {line(100, kBlack)}, {}};
    addRect(s.records, 0, 0, 800, 800, 0, 1);
    addRect(s.records, 200, 200, 600, 600, 1, 0);  // a hole
    s.records.push_back(moveSelect(1000, 0, 0, 0, 1));
    s.records.push_back(lineTo(1000, 800));
    const ShapeGeometry g = buildShapeGeometry(s, false);
    EXPECT_TRUE(geometryContains(g, {100, 100}, false));
    EXPECT_FALSE(geometryContains(g, {400, 400}, false));   // in the hole
    EXPECT_FALSE(geometryContains(g, {1020, 400}, false));  // on the stroke, strokes not asked
    EXPECT_TRUE(geometryContains(g, {1020, 400}, true));
    EXPECT_FALSE(geometryContains(g, {1100, 400}, true));
}

TEST(ShapeGeometry, CacheBuildsEachDefinitionOnce)
{
    std::vector<ShapeRecord> r;
    addRect(r, 0, 0, 400, 400, 0, 1);
    const ShapeDefinition shape = shapeOf({solid(kRed)}, {}, r);
    RenderCache cache;
    const ShapeGeometry* first = &cache.shape(shape);
    EXPECT_EQ(first, &cache.shape(shape));
    EXPECT_EQ(first->edgeBounds, QRectF(0, 0, 400, 400));
}

}  // namespace
}  // namespace swf::render::test
