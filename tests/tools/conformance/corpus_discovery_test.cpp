#include "tools/conformance/core/corpus_discovery.h"

#include "conformance_fixtures.h"
#include "tools/conformance/core/corpus_rules.h"

#include <QDir>

#include <gtest/gtest.h>

namespace conformance {
namespace {

using testing::pngBytes;
using testing::solidImage;
using testing::writeFile;

const CorpusCase& caseWithId(const Corpus& corpus, const QString& id)
{
    for (const CorpusCase& c : corpus.cases)
        if (c.id == id)
            return c;
    ADD_FAILURE() << "no case " << id.toStdString();
    static const CorpusCase none;
    return none;
}

class CaseFolderCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).filePath(QStringLiteral("mini"));
        const QByteArray png = pngBytes(solidImage(4, 4, Qt::red));
        addCase("avm1/trace_only", "num_frames = 3\n[approximations]\nbare_numbers = true\nepsilon = 0.5\n"
                                   "[player_options]\nmax_execution_duration = { secs = 2, nanos = 500000000 }\n", "hello\n");
        addCase("avm1/buttons", "num_ticks = 8\nimage_comparisons.\"out.02\".trigger = 2\nimage_comparisons.\"out.01\".trigger = 1\n"
                                "[player_options]\nwith_renderer = { optional = false, quality = \"low\" }\n", "");
        writeFile(root, "avm1/buttons/out.01.expected.png", png);
        writeFile(root, "avm1/buttons/out.02.expected.png", png);
        writeFile(root, "avm1/buttons/input.json", "[]");
        addCase("visual/shape", "num_frames = 1\n[image_comparisons.output]\ntolerance = 3\nmax_outliers = 17\n"
                                "[player_options]\nwith_renderer = { optional = true }\nwith_video = true\n", "");
        writeFile(root, "visual/shape/output.expected.png", png);
        addCase("avm1/ignored", "num_frames = 1\nignore = true\n", "x\n");
        addCase("avm1/broken", "num_frames = 1\n\nnum_frames = 2\n", "x\n");
        addCase("avm1/fetches", "num_frames = 1\nlog_fetch = true\nknown_failure = true\n", "Fetch: x\n");
        addCase("avm1/late_picture", "num_ticks = 2\nimage_comparisons.output.trigger = 3\n", "");
        writeFile(root, "avm1/late_picture/output.expected.png", png);
        addCase("avm1/asked_picture", "num_ticks = 2\nimage_comparisons.output.trigger = \"fs_command\"\n", "");
        writeFile(root, "avm1/asked_picture/output.expected.png", png);
        addCase("avm1/no_picture_file", "num_frames = 1\n[image_comparisons.output]\n", "");
        addCase("deep/er/still", "", "");
        writeFile(root, "manifest.json", R"({"tests": [
            {"path": "visual/shape", "group": "visual-images",
             "images": {"output": {"reference": "other_engine"}}},
            {"path": "avm1/buttons", "group": "avm1-input"},
            {"path": "avm1/gone", "group": "avm1-input"},
            {"path": "../outside", "group": "x"}]})");
    }

    void addCase(const QString& path, const QByteArray& toml, const QByteArray& log)
    {
        writeFile(root, path + "/test.swf", "FWS");
        writeFile(root, path + "/test.toml", toml);
        writeFile(root, path + "/output.txt", log);
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(CaseFolderCorpus, ReadsRunSettingsAndChecks)
{
    QString error;
    const auto corpus = discoverCorpus(root, &error);
    ASSERT_TRUE(corpus) << error.toStdString();
    EXPECT_EQ(corpus->name, "mini");
    EXPECT_EQ(corpus->form, "case-folders");
    ASSERT_EQ(corpus->cases.size(), 11u);  // ten folders and a manifest case without one
    EXPECT_EQ(corpus->warnings.size(), 1);  // the path leaving the corpus

    const CorpusCase& traceOnly = caseWithId(*corpus, "mini/avm1/trace_only");
    EXPECT_EQ(traceOnly.suite, "avm1");  // no manifest entry: the first folder
    EXPECT_EQ(traceOnly.run.mode, RunMode::Frames);
    EXPECT_EQ(traceOnly.run.count, 3);
    ASSERT_TRUE(traceOnly.trace);
    ASSERT_TRUE(traceOnly.trace->approximations);
    EXPECT_TRUE(traceOnly.trace->approximations->bareNumbers);
    EXPECT_DOUBLE_EQ(traceOnly.trace->approximations->epsilon, 0.5);
    EXPECT_EQ(traceOnly.needs, QStringList{feature::scripts});
    EXPECT_TRUE(traceOnly.skipReason.isEmpty());
    ASSERT_TRUE(traceOnly.scriptTimeoutSeconds);
    EXPECT_DOUBLE_EQ(*traceOnly.scriptTimeoutSeconds, 2.5);

    const CorpusCase& buttons = caseWithId(*corpus, "mini/avm1/buttons");
    EXPECT_EQ(buttons.suite, "avm1-input");
    EXPECT_EQ(buttons.run.mode, RunMode::Ticks);
    EXPECT_EQ(buttons.run.count, 8);
    EXPECT_TRUE(buttons.inputFile.endsWith("avm1/buttons/input.json"));
    ASSERT_EQ(buttons.images.size(), 2u);
    EXPECT_EQ(buttons.images[0].name, "out.01");
    EXPECT_EQ(buttons.images[0].atIteration, 1);
    EXPECT_EQ(buttons.images[1].atIteration, 2);
    EXPECT_EQ(buttons.images[1].rules.front().tolerance, 0);
    EXPECT_EQ(buttons.images[1].rules.front().maxOutliers, 0);
    EXPECT_TRUE(buttons.needs.contains(feature::render));
    EXPECT_TRUE(buttons.needs.contains(feature::input));
    EXPECT_FALSE(buttons.needs.contains(feature::scripts));  // its log is empty
    EXPECT_FALSE(buttons.scriptTimeoutSeconds);

    const CorpusCase& shape = caseWithId(*corpus, "mini/visual/shape");
    EXPECT_EQ(shape.suite, "visual-images");
    ASSERT_EQ(shape.images.size(), 1u);
    EXPECT_FALSE(shape.images[0].atIteration);
    EXPECT_EQ(shape.images[0].rules.front().tolerance, 3);
    EXPECT_EQ(shape.images[0].rules.front().maxOutliers, 17);
    EXPECT_EQ(shape.images[0].reference, "other_engine");
    EXPECT_EQ(shape.images[0].counted, rules::kCountOtherEngineImages);
    EXPECT_TRUE(shape.imagesOptional);
    EXPECT_FALSE(shape.needs.contains(feature::render));
    EXPECT_TRUE(shape.needs.contains(feature::video));

    const CorpusCase& fetches = caseWithId(*corpus, "mini/avm1/fetches");
    EXPECT_TRUE(fetches.needs.contains(feature::fetchLog));
    EXPECT_TRUE(fetches.trace->knownFailure);

    EXPECT_TRUE(caseWithId(*corpus, "mini/deep/er/still").skipReason.isEmpty());
    EXPECT_EQ(caseWithId(*corpus, "mini/deep/er/still").run.count, rules::kDefaultIterations);
}

TEST_F(CaseFolderCorpus, CasesThatCannotRunSayWhy)
{
    QString error;
    const auto corpus = discoverCorpus(root, &error);
    ASSERT_TRUE(corpus);
    EXPECT_EQ(caseWithId(*corpus, "mini/avm1/ignored").skipReason, "ignored by test.toml");
    EXPECT_TRUE(caseWithId(*corpus, "mini/avm1/broken").skipReason.startsWith("test.toml line 3"));
    EXPECT_TRUE(caseWithId(*corpus, "mini/avm1/late_picture").skipReason.contains("outside the run"));
    EXPECT_TRUE(caseWithId(*corpus, "mini/avm1/asked_picture").skipReason.contains("not supported"));
    EXPECT_EQ(caseWithId(*corpus, "mini/avm1/no_picture_file").skipReason, "no output.expected.png");
    EXPECT_EQ(caseWithId(*corpus, "mini/avm1/gone").skipReason, "no test.swf");
}

class ManifestTsvCorpus : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).filePath(QStringLiteral("flat"));
        for (const char* movie : {"trace/a.swf", "trace/b.swf", "image/c.swf", "sound/d.swf", "trace/e.swf", "trace/f.swf"})
            writeFile(root, movie, "FWS");
        writeFile(root, "trace/a.swf.trace", "x\n");
        writeFile(root, "trace/a.swf.trace.org", "y\n");
        writeFile(root, "image/c.swf.png", pngBytes(solidImage(2, 2, Qt::blue)));
        writeFile(root, "image/c.swf.org.png", pngBytes(solidImage(2, 2, Qt::blue)));
        writeFile(root, "sound/d.swf.1.0.raw", QByteArray(8, '\0'));
        writeFile(root, "trace/f.swf.log", "x\n");
        // Columns in another order than ours, one extra; a CRLF line end.
        writeFile(root, "manifest.tsv",
                  "path\textra\tfeatures\tfps\tsuite\texpected\r\n"
                  "trace/a.swf\t-\tdoaction\t15\ttrace\ta.swf.trace;a.swf.trace.org\n"
                  "trace/b.swf\t-\t\t1\ttrace\t\n"
                  "image/c.swf\t-\tsprite,mask\t0\timage\tc.swf.png;c.swf.org.png\n"
                  "sound/d.swf\t-\tsound:event=adpcm\t10.5\tsound\td.swf.1.0.raw\n"
                  "trace/e.swf\t-\t\t12\ttrace\te.swf.trace\n"
                  "../escape.swf\t-\t\t12\ttrace\tx.trace\n"
                  "trace/f.swf\t-\t\t12\ttrace\tf.swf.log\n"
                  "trace/a.swf\t-\t\t12\ttrace\ta.swf.trace\n");
    }

    QTemporaryDir dir;
    QString root;
};

TEST_F(ManifestTsvCorpus, ReadsRowsWithTheTimedRun)
{
    QString error;
    const auto corpus = discoverCorpus(root, &error);
    ASSERT_TRUE(corpus) << error.toStdString();
    EXPECT_EQ(corpus->form, "manifest-tsv");
    ASSERT_EQ(corpus->cases.size(), 7u);
    EXPECT_EQ(corpus->warnings.size(), 1);  // the duplicate row

    const CorpusCase& a = caseWithId(*corpus, "flat/trace/a.swf");
    EXPECT_EQ(a.suite, "trace");
    EXPECT_EQ(a.run.mode, RunMode::Ticks);
    EXPECT_EQ(a.run.count, 150);  // ten seconds at 15 fps
    ASSERT_TRUE(a.trace);
    EXPECT_TRUE(a.trace->file.endsWith("a.swf.trace"));
    ASSERT_EQ(a.trace->alternates.size(), 1);
    EXPECT_TRUE(a.trace->alternates[0].endsWith("a.swf.trace.org"));
    EXPECT_TRUE(a.needs.contains(feature::scripts));
    EXPECT_TRUE(a.images.empty());

    const CorpusCase& c = caseWithId(*corpus, "flat/image/c.swf");
    EXPECT_EQ(c.run.count, static_cast<int>(rules::kTimedRunSeconds * rules::kFallbackFrameRate));  // fps 0
    ASSERT_EQ(c.images.size(), 1u);
    EXPECT_FALSE(c.images[0].atIteration);
    EXPECT_EQ(c.images[0].alternates.size(), 1);
    EXPECT_EQ(c.images[0].rules.front().tolerance, rules::kTimedImageTolerance);
    EXPECT_EQ(c.needs, QStringList{feature::render});

    const CorpusCase& d = caseWithId(*corpus, "flat/sound/d.swf");
    EXPECT_EQ(d.run.count, 105);
    ASSERT_TRUE(d.sound);
    EXPECT_EQ(d.sound->rawFiles.size(), 1);
    EXPECT_TRUE(d.needs.contains(feature::sound));
    EXPECT_FALSE(d.trace);

    EXPECT_EQ(caseWithId(*corpus, "flat/trace/b.swf").skipReason, "no expected output listed");
    EXPECT_EQ(caseWithId(*corpus, "flat/trace/e.swf").skipReason, "e.swf.trace missing");
    EXPECT_EQ(caseWithId(*corpus, "flat/../escape.swf").skipReason, "bad path in manifest.tsv");
    EXPECT_TRUE(caseWithId(*corpus, "flat/trace/f.swf").skipReason.startsWith("unknown kind"));
}

TEST(CorpusDiscovery, RefusesFoldersOfNeitherForm)
{
    QTemporaryDir dir;
    writeFile(dir.path(), "movie.swf", "FWS");
    QString error;
    EXPECT_FALSE(discoverCorpus(dir.path(), &error));
    EXPECT_TRUE(error.contains("neither"));
    EXPECT_FALSE(discoverCorpus(QDir(dir.path()).filePath("absent"), &error));
}

}  // namespace
}  // namespace conformance
