// swfcli info on movies made by the writer and on a file that is not a movie.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "support/swf_writer.h"
#include "swfcli_test_support.h"

namespace {

using swfcli_test::CliRun;
using swfcli_test::runSwfcli;
using swfcli_test::writeTemp;

TEST(SwfcliInfo, DescribesAMovie)
{
    swf::writer::MovieWriter m(6, {0, 4000, 0, 2000}, 15);
    m.setBackground({255, 128, 0, 255});
    swf::ShapeDefinition s;
    s.id = 1;
    s.shapeVersion = 3;
    m.shape(s).place(1, 1).label("intro").showFrame().showFrame();
    std::string path = writeTemp("movie.swf", m.build(swf::Compression::Zlib));
    CliRun r = runSwfcli("info '" + path + "'");
    std::filesystem::remove(path);
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_NE(r.output.find("signature: CWS"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("version: 6"), std::string::npos);
    EXPECT_NE(r.output.find("frame size: 200 x 100 px"), std::string::npos);
    EXPECT_NE(r.output.find("frames: 2"), std::string::npos);
    EXPECT_NE(r.output.find("background: #ff8000"), std::string::npos);
    EXPECT_NE(r.output.find("DefineShape3"), std::string::npos);
    EXPECT_NE(r.output.find("frame 1: intro"), std::string::npos);
}

TEST(SwfcliInfo, FailsWithTheReasonOnWhatItCannotLoad)
{
    std::string path = writeTemp("junk.swf", {'P', 'K', 3, 4, 1, 2, 3, 4, 5});
    CliRun r = runSwfcli("info '" + path + "'");
    std::filesystem::remove(path);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.output.find("not a SWF"), std::string::npos) << r.output;

    CliRun missing = runSwfcli("info /nonexistent/movie.swf");
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_NE(missing.output.find("cannot open"), std::string::npos) << missing.output;
}

}  // namespace
