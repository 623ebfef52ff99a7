#include "tools/conformance/core/toml_reader.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace conformance {
namespace {

TEST(TomlReader, ReadsTheConstructsCaseFilesUse)
{
    const QByteArray text =
        "num_ticks = 8 # trailing comment\n"
        "known_failure = true\n"
        "image_comparisons.\"output.01.tab\".trigger = 1\n"
        "image_comparisons.\"output.02.move\".trigger = 2\n"
        "\n"
        "[image_comparisons.\"output\"]\n"
        "tolerance = 32\r\n"
        "max_outliers = 1_000\n"
        "\n"
        "[player_options]\n"
        "with_renderer = { optional = false, quality = \"low\" }\n"
        "max_execution_duration = { secs = 5, nanos = 0 }\n"
        "\n"
        "[approximations]\n"
        "epsilon = 1e-14\n"
        "number_patterns = [\"angle=([\\\\d.]+)\", 'raw\\d+',\n"
        "   ]\n"
        "[[compilers]]\n"
        "type = \"Rascal\"\n"
        "[[compilers]]\n"
        "type = \"Other\"\n"
        "scripts = [\"a.as\", \"b.as\"]\n";
    TomlError error;
    const auto doc = parseToml(text, &error);
    ASSERT_TRUE(doc) << error.line << ": " << error.message.toStdString();
    EXPECT_EQ((*doc)["num_ticks"].toInteger(), 8);
    EXPECT_TRUE((*doc)["known_failure"].toBool());
    const QJsonObject images = (*doc)["image_comparisons"].toObject();
    EXPECT_EQ(images["output.01.tab"].toObject()["trigger"].toInteger(), 1);
    EXPECT_EQ(images["output.02.move"].toObject()["trigger"].toInteger(), 2);
    EXPECT_EQ(images["output"].toObject()["tolerance"].toInteger(), 32);
    EXPECT_EQ(images["output"].toObject()["max_outliers"].toInteger(), 1000);
    const QJsonObject options = (*doc)["player_options"].toObject();
    EXPECT_FALSE(options["with_renderer"].toObject()["optional"].toBool(true));
    EXPECT_EQ(options["with_renderer"].toObject()["quality"].toString(), "low");
    const QJsonObject approximations = (*doc)["approximations"].toObject();
    EXPECT_DOUBLE_EQ(approximations["epsilon"].toDouble(), 1e-14);
    // Basic strings unescape, literal strings keep their backslashes.
    EXPECT_EQ(approximations["number_patterns"].toArray()[0].toString(), "angle=([\\d.]+)");
    EXPECT_EQ(approximations["number_patterns"].toArray()[1].toString(), "raw\\d+");
    const QJsonArray compilers = (*doc)["compilers"].toArray();
    ASSERT_EQ(compilers.size(), 2);
    EXPECT_EQ(compilers[1].toObject()["type"].toString(), "Other");
    EXPECT_EQ(compilers[1].toObject()["scripts"].toArray().size(), 2);
}

TEST(TomlReader, ReportsErrorsWithTheirLine)
{
    struct Bad {
        const char* text;
        int line;
    };
    const Bad cases[] = {
        {"a = 1\na = 2\n", 2},                       // defined twice
        {"a = 1\n\nb = \"open\n", 3},                // unterminated string
        {"a = 1 2\n", 1},                            // text after the value
        {"a = \"\"\"long\"\"\"\n", 1},               // multi-line strings are refused, not misread
        {"a = 1979-05-27\n", 1},                     // dates too
        {"[t]\nx = 1\n[t.x]\n", 3},                  // a value used as a table
        {"a = [1, 2\n", 2},                          // unclosed array
        {"= 3\n", 1},                                // no key
    };
    for (const Bad& bad : cases) {
        TomlError error;
        EXPECT_FALSE(parseToml(bad.text, &error)) << bad.text;
        EXPECT_EQ(error.line, bad.line) << bad.text;
        EXPECT_FALSE(error.message.isEmpty());
    }
}

TEST(TomlReader, RefusesDeepNestingWithoutOverflowingTheStack)
{
    TomlError error;
    EXPECT_FALSE(parseToml("a = " + QByteArray(100000, '['), &error));
    EXPECT_FALSE(parseToml("a = " + QByteArray(100000, '{'), &error));
    QByteArray key = "k";
    for (int i = 0; i < 1000; ++i)
        key += ".k";
    EXPECT_FALSE(parseToml(key + " = 1\n", &error));
}

}  // namespace
}  // namespace conformance
