// The test writer's shape records: positions given in fractional twips are rounded once each, so
// the pen read back lands on the rounded points and closed outlines stay closed.

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swf/format/shape_decoder.h"

namespace swf {
namespace {

Point rounded(Point p) { return {std::round(p.x), std::round(p.y)}; }

Point endOf(const ShapeRecord& r)
{
    if (const auto* e = std::get_if<StraightEdge>(&r)) return e->to;
    if (const auto* c = std::get_if<CurvedEdge>(&r)) return c->to;
    return std::get<StyleChange>(r).moveTo;
}

// A closed polygon of `sides` corners on a circle, every corner at a fractional position, with
// every other edge a curve.
std::vector<ShapeRecord> fractionalPolygon(int sides)
{
    std::vector<ShapeRecord> records;
    auto corner = [](int i, int n) {
        const double a = 2 * std::numbers::pi * i / n;
        return Point{1000.37 + 733.3 * std::cos(a), -250.71 + 733.3 * std::sin(a)};
    };
    StyleChange start;
    start.hasMove = start.hasFill1 = true;
    start.moveTo = corner(0, sides);
    start.fill1 = 1;
    records.push_back(start);
    for (int i = 1; i <= sides; ++i) {
        const Point to = corner(i % sides, sides);
        if (i % 2) {
            const Point from = corner(i - 1, sides);
            records.push_back(CurvedEdge{{(from.x + to.x) / 2 + 0.45, (from.y + to.y) / 2 - 0.45}, to});
        } else {
            records.push_back(StraightEdge{to});
        }
    }
    return records;
}

TEST(SwfWriter, FractionalPositionsAreRoundedOnceAndOutlinesStayClosed)
{
    ShapeDefinition def;
    def.id = 1;
    def.shapeVersion = 3;
    def.bounds = {0, 2000, -1000, 1000};
    def.shape.fills.resize(1);
    def.shape.records = fractionalPolygon(37);
    const ShapeDefinition got = decodeDefineShape(ByteReader(writer::shapeBody(def)), 3);
    ASSERT_EQ(got.shape.records.size(), def.shape.records.size());
    for (std::size_t i = 0; i < def.shape.records.size(); ++i) {
        EXPECT_EQ(endOf(got.shape.records[i]), rounded(endOf(def.shape.records[i]))) << "record " << i;
        if (const auto* c = std::get_if<CurvedEdge>(&def.shape.records[i])) {
            EXPECT_EQ(std::get<CurvedEdge>(got.shape.records[i]).control, rounded(c->control)) << "record " << i;
        }
    }
    EXPECT_EQ(endOf(got.shape.records.back()), endOf(got.shape.records.front()));
}

TEST(SwfWriter, MorphEndEdgesRoundTheSameWay)
{
    MorphShapeDefinition def;
    def.id = 2;
    def.startBounds = def.endBounds = {0, 2000, -1000, 1000};
    def.fills.resize(1);
    def.startRecords = fractionalPolygon(9);
    def.endRecords = fractionalPolygon(9);
    auto& move = std::get<StyleChange>(def.endRecords.front());
    move.hasFill1 = false;  // end lists carry moves and edges only
    const MorphShapeDefinition got = decodeDefineMorphShape(ByteReader(writer::morphShapeBody(def)), 1);
    ASSERT_EQ(got.endRecords.size(), def.endRecords.size());
    for (std::size_t i = 0; i < def.endRecords.size(); ++i)
        EXPECT_EQ(endOf(got.endRecords[i]), rounded(endOf(def.endRecords[i]))) << "record " << i;
    EXPECT_EQ(endOf(got.endRecords.back()), endOf(got.endRecords.front()));
}

}  // namespace
}  // namespace swf
