// Which files a movie's scripts may load: its own folder and below, never the network.

#include <gtest/gtest.h>

#include "swf/runtime/local_url.h"

namespace swf::runtime {
namespace {

std::string pathOf(const std::variant<LocalFile, RefusedUrl>& r)
{
    if (const auto* f = std::get_if<LocalFile>(&r)) return f->path;
    return "refused: " + std::get<RefusedUrl>(r).reason;
}

bool refused(const std::variant<LocalFile, RefusedUrl>& r) { return std::holds_alternative<RefusedUrl>(r); }

TEST(LocalUrl, RelativePathsResolveInsideTheMoviesFolder)
{
    EXPECT_EQ(pathOf(resolveLocalUrl("menu.swf", "/movies/site")), "/movies/site/menu.swf");
    EXPECT_EQ(pathOf(resolveLocalUrl("parts/intro.swf?lang=en#top", "/movies/site")), "/movies/site/parts/intro.swf");
    EXPECT_EQ(pathOf(resolveLocalUrl("parts\\intro.swf", "/movies/site/")), "/movies/site/parts/intro.swf");
    EXPECT_EQ(pathOf(resolveLocalUrl("my%20movie.swf", "/movies/site")), "/movies/site/my movie.swf");
    // A ".." that stays inside is fine.
    EXPECT_EQ(pathOf(resolveLocalUrl("parts/../menu.swf", "/movies/site")), "/movies/site/menu.swf");
    EXPECT_EQ(pathOf(resolveLocalUrl("file:///movies/site/a.swf", "/movies/site")), "/movies/site/a.swf");
    EXPECT_EQ(pathOf(resolveLocalUrl("FILE://localhost/movies/site/a.swf", "/movies/site")), "/movies/site/a.swf");
}

TEST(LocalUrl, NetworkOtherSchemesAndEscapesAreRefused)
{
    for (const char* url : {"http://example.com/a.swf", "HTTPS://example.com/a.swf", "ftp://host/a.swf",
                            "javascript:alert(1)", "../secret.swf", "parts/../../secret.swf", "/etc/passwd",
                            "file:///etc/passwd", "file:///movies/sitemap/a.swf", "file://relative.swf", "", "?x=1"})
        EXPECT_TRUE(refused(resolveLocalUrl(url, "/movies/site"))) << url;
    // A movie from memory has no folder to load from.
    EXPECT_TRUE(refused(resolveLocalUrl("menu.swf", "")));
    EXPECT_NE(pathOf(resolveLocalUrl("http://example.com/a.swf", "/m")).find("network"), std::string::npos);
}

}  // namespace
}  // namespace swf::runtime
