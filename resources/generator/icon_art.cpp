// The two 16-colour icons: the window's globe and the hand pointer. Both are decided pixel by
// pixel, since at 32 x 32 pixels and 16 colours every pixel shows.
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <QPointF>
#include <QPolygonF>

#include "art.h"

namespace picture_generator {
namespace {

// Indices into the VGA palette.
enum Vga : std::uint8_t {
    Black = 0,
    Navy = 4,
    Silver = 7,
    Grey = 8,
    Lime = 10,
    Blue = 12,
    White = 15,
};

constexpr int N = Icon16::size;

// Coastlines as (longitude, latitude) in degrees, traced coarsely: at 32 pixels a continent
// is a dozen pixels across.
const std::vector<QPolygonF>& americas()
{
    static const std::vector<QPolygonF> coasts = {
        // North and Central America.
        QPolygonF({{-168, 66}, {-160, 71}, {-140, 70}, {-125, 71}, {-110, 73}, {-95, 72},
                   {-85, 70}, {-80, 63}, {-92, 60}, {-86, 55}, {-79, 52}, {-78, 60},
                   {-70, 60}, {-64, 60}, {-56, 52}, {-60, 47}, {-66, 44}, {-70, 42},
                   {-74, 40}, {-76, 35}, {-81, 31}, {-80, 25}, {-82, 27}, {-84, 30},
                   {-90, 30}, {-95, 29}, {-97, 26}, {-97, 21}, {-94, 18}, {-91, 19},
                   {-90, 21}, {-87, 21}, {-88, 16}, {-84, 15}, {-83, 10}, {-79, 9},
                   {-77, 8}, {-80, 7}, {-83, 8}, {-86, 11}, {-92, 14}, {-97, 16},
                   {-105, 20}, {-106, 23}, {-110, 26}, {-113, 31}, {-114, 30},
                   {-110, 23}, {-112, 25}, {-117, 32}, {-121, 35}, {-124, 40},
                   {-124, 47}, {-128, 51}, {-133, 56}, {-140, 60}, {-148, 60},
                   {-155, 58}, {-162, 55}, {-158, 59}, {-164, 61}}),
        // Greenland.
        QPolygonF({{-44, 60}, {-40, 65}, {-22, 70}, {-18, 77}, {-20, 82}, {-45, 83},
                   {-62, 81}, {-72, 78}, {-58, 75}, {-53, 70}, {-50, 64}}),
        // South America.
        QPolygonF({{-77, 8}, {-72, 12}, {-64, 11}, {-60, 9}, {-52, 5}, {-50, 0},
                   {-44, -2}, {-35, -6}, {-37, -12}, {-39, -18}, {-41, -22},
                   {-48, -26}, {-53, -33}, {-57, -36}, {-62, -39}, {-65, -42},
                   {-67, -46}, {-69, -51}, {-68, -55}, {-72, -54}, {-75, -50},
                   {-74, -43}, {-72, -33}, {-71, -25}, {-70, -18}, {-76, -14},
                   {-81, -6}, {-80, -1}, {-78, 2}}),
    };
    return coasts;
}

bool isLand(double longitude, double latitude)
{
    for (const QPolygonF& coast : americas()) {
        if (coast.containsPoint(QPointF(longitude, latitude), Qt::OddEvenFill))
            return true;
    }
    return false;
}

// Orthographic view of the earth centred over the Americas. (u, v) lie in the unit disc, v up.
bool landAt(double u, double v)
{
    constexpr double centreLon = -78.0;
    constexpr double centreLat = 12.0;
    constexpr double rad = std::numbers::pi / 180;
    const double rho = std::hypot(u, v);
    if (rho < 1e-9)
        return isLand(centreLon, centreLat);
    const double c = std::asin(std::min(rho, 1.0));
    const double phi0 = centreLat * rad;
    const double lat = std::asin(std::cos(c) * std::sin(phi0) + v * std::sin(c) * std::cos(phi0) / rho);
    const double lon = centreLon * rad + std::atan2(u * std::sin(c),
                                                    rho * std::cos(c) * std::cos(phi0) -
                                                        v * std::sin(c) * std::sin(phi0));
    double lonDeg = lon / rad;
    if (lonDeg < -180)
        lonDeg += 360;
    return isLand(lonDeg, lat / rad);
}

} // namespace

Icon16 drawGlobeIcon()
{
    Icon16 icon;
    icon.palette = vgaPalette();
    constexpr double centre = 15.5;
    constexpr double radius = 15.0;
    constexpr int sub = 4;

    // First decide coverage and land for each pixel from 4 x 4 samples.
    std::array<int, N * N> inside{};
    std::array<int, N * N> land{};
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            for (int sy = 0; sy < sub; ++sy) {
                for (int sx = 0; sx < sub; ++sx) {
                    const double px = x + (sx + 0.5) / sub;
                    const double py = y + (sy + 0.5) / sub;
                    const double u = (px - 16.0) / radius;
                    const double v = (16.0 - py) / radius;
                    if (u * u + v * v > 1.0)
                        continue;
                    ++inside[y * N + x];
                    if (landAt(u, v))
                        ++land[y * N + x];
                }
            }
        }
    }
    (void)centre;

    auto covered = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < N && y < N && inside[y * N + x] * 2 > sub * sub;
    };
    auto landPixel = [&](int x, int y) { return land[y * N + x] * 2 > inside[y * N + x]; };

    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            const int i = y * N + x;
            if (!covered(x, y)) {
                icon.transparent[i] = true;
                continue;
            }
            const bool rim = !covered(x - 1, y) || !covered(x + 1, y) || !covered(x, y - 1) ||
                             !covered(x, y + 1);
            if (rim) {
                icon.indices[i] = Black;
                continue;
            }
            // Coasts: a sea pixel touching land is drawn black, so that the land is outlined.
            if (!landPixel(x, y)) {
                bool coast = false;
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    if (covered(x + dx, y + dy) && landPixel(x + dx, y + dy))
                        coast = true;
                }
                // The sea darkens towards the lower right, away from the light.
                const double shade = (x - 11.0) * (x - 11.0) + (y - 10.0) * (y - 10.0);
                icon.indices[i] = coast ? Black : (shade > 15.0 * 15.0 ? Navy : Blue);
            } else {
                icon.indices[i] = Lime;
            }
        }
    }
    // A small highlight where the light strikes the sea.
    for (auto [x, y] : {std::pair{8, 6}, {9, 6}, {7, 7}}) {
        if (icon.indices[y * N + x] == Blue)
            icon.indices[y * N + x] = White;
    }
    return icon;
}

Icon16 drawHandPointer()
{
    // K black outline, G grey creases and shade, S silver shade, W white, '.' transparent.
    // The index finger's tip is the pair of pixels at columns 12-13 of row 5.
    static constexpr std::array<std::string_view, N> rows = {
        "................................",  // 0
        "................................",  // 1
        "................................",  // 2
        "................................",  // 3
        "................................",  // 4
        "............KK..................",  // 5
        "...........KWWK.................",  // 6
        "...........KWWK.................",  // 7
        "...........KWWK.................",  // 8
        "...........KWWK.................",  // 9
        "...........KWWK.................",  // 10
        "...........KWWKKK...............",  // 11
        "...........KWWKWWKKK............",  // 12
        "...........KWWKWWKWWKK..........",  // 13
        "...........KWWKWWKWWKWK.........",  // 14
        "......KK...KWWGWWGWWKWWK........",  // 15
        ".....KWWK..KWWGWWGWWGWWK........",  // 16
        ".....KWWWK.KWWWWWWWWWWWK........",  // 17
        "......KWWWKKWWWWWWWWWWWK........",  // 18
        "......KWWWWKWWWWWWWWWWSK........",  // 19
        ".......KWWWWWWWWWWWWWWSK........",  // 20
        ".......KWWWWWWWWWWWWWWSK........",  // 21
        "........KWWWWWWWWWWWWWSK........",  // 22
        "........KWWWWWWWWWWWWSK.........",  // 23
        ".........KWWWWWWWWWWWSK.........",  // 24
        ".........KWWWWWWWWWWSGK.........",  // 25
        "..........KWWWWWWWWWSK..........",  // 26
        "..........KKKKKKKKKKKK..........",  // 27
        "..........KSSSSSSSSSGK..........",  // 28
        "..........KSSSSSSSSSGK..........",  // 29
        "..........KKKKKKKKKKKK..........",  // 30
        "................................",  // 31
    };
    Icon16 icon;
    icon.palette = vgaPalette();
    for (int y = 0; y < N; ++y) {
        if (rows[y].size() != N)
            throw std::logic_error("hand pointer row has the wrong width");
        for (int x = 0; x < N; ++x) {
            const int i = y * N + x;
            switch (rows[y][x]) {
            case '.': icon.transparent[i] = true; break;
            case 'K': icon.indices[i] = Black; break;
            case 'G': icon.indices[i] = Grey; break;
            case 'S': icon.indices[i] = Silver; break;
            case 'W': icon.indices[i] = White; break;
            default: throw std::logic_error("unknown pixel in the hand pointer");
            }
        }
    }
    return icon;
}

} // namespace picture_generator
