#include "tools/conformance/core/conformance_run.h"

#include "conformance_fixtures.h"
#include "tools/conformance/core/baseline.h"
#include "tools/conformance/core/corpus_discovery.h"

#include <QDir>

#include <gtest/gtest.h>

namespace conformance {
namespace {

using testing::pngBytes;
using testing::rawBytes;
using testing::recordedRuns;
using testing::solidImage;
using testing::wavBytes;
using testing::writeFile;

const CaseResult& resultFor(const CorpusRun& run, const QString& id)
{
    for (const CaseResult& result : run.results)
        if (result.id == id)
            return result;
    ADD_FAILURE() << "no result for " << id.toStdString();
    static const CaseResult none;
    return none;
}

// A corpus of case folders whose stand-in swfcli answers are set per case.
class CorpusRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).filePath(QStringLiteral("cases"));
        const QImage red = solidImage(8, 8, Qt::red);
        QImage nearlyRed = red;
        nearlyRed.setPixelColor(0, 0, QColor(250, 0, 0));

        addCase("pass", "num_frames = 2\n", "one\r\ntwo\n");
        writeFile(root, "pass/test.swf.fake-trace", "one\ntwo");
        addCase("wrong", "num_frames = 1\n", "one\ntwo\n");
        writeFile(root, "wrong/test.swf.fake-trace", "one\nthree\n");
        addCase("hangs", "num_frames = 1\n", "x\n");
        writeFile(root, "hangs/test.swf.fake-sleep", "30");
        addCase("unloadable", "num_frames = 1\n", "");
        writeFile(root, "unloadable/test.swf.fake-exit", "1");
        addCase("video", "num_frames = 1\n[player_options]\nwith_video = true\n", "");
        addCase("pictures", "num_ticks = 3\nimage_comparisons.\"a\".trigger = 1\nimage_comparisons.\"b\".trigger = 3\n"
                            "image_comparisons.\"b\".tolerance = 4\n", "");
        writeFile(root, "pictures/a.expected.png", pngBytes(red));
        writeFile(root, "pictures/b.expected.png", pngBytes(red));
        writeFile(root, "pictures/test.swf.fake-png-1", pngBytes(red));
        writeFile(root, "pictures/test.swf.fake-png-3", pngBytes(nearlyRed));
        writeFile(root, "pictures/input.json", "[]");
        addCase("blurred", "num_frames = 1\n[image_comparisons.output]\n", "");
        writeFile(root, "blurred/output.expected.png", pngBytes(red));
        writeFile(root, "blurred/test.swf.fake-png", pngBytes(nearlyRed));
        swfcli = testing::writeFakeSwfcli(dir.path(), {"render", "scripts", "input"});
    }

    void addCase(const QString& path, const QByteArray& toml, const QByteArray& log)
    {
        writeFile(root, path + "/test.swf", "FWS");
        writeFile(root, path + "/test.toml", toml);
        writeFile(root, path + "/output.txt", log);
    }

    CorpusRun run(const QString& filter = {})
    {
        QString error;
        corpus = *discoverCorpus(root, &error);
        RunOptions options;
        options.swfcli = swfcli;
        options.timeoutSeconds = 1;
        options.filter = filter;
        return runCorpus(corpus, options);
    }

    QString movie(const QString& path) const { return QDir(root).filePath(path + "/test.swf"); }

    QTemporaryDir dir;
    QString root;
    QString swfcli;
    Corpus corpus;
};

TEST_F(CorpusRunTest, JudgesEveryCase)
{
    const CorpusRun result = run();
    EXPECT_TRUE(result.features.known);
    EXPECT_EQ(result.results.size(), 7u);

    EXPECT_EQ(resultFor(result, "cases/pass").status, CaseStatus::Passed);
    const CaseResult& wrong = resultFor(result, "cases/wrong");
    EXPECT_EQ(wrong.status, CaseStatus::Failed);
    EXPECT_EQ(wrong.reason, "trace line 2: expected \"two\", got \"three\"");
    EXPECT_EQ(resultFor(result, "cases/hangs").status, CaseStatus::Failed);
    EXPECT_EQ(resultFor(result, "cases/hangs").reason, "timeout");
    EXPECT_EQ(resultFor(result, "cases/unloadable").status, CaseStatus::Failed);
    EXPECT_TRUE(resultFor(result, "cases/unloadable").reason.startsWith("exit code 1: cannot load"));
    EXPECT_EQ(resultFor(result, "cases/video").status, CaseStatus::NotRun);
    EXPECT_EQ(resultFor(result, "cases/video").reason, "needs video");

    // Picture b differs in one channel by 5: beyond its tolerance of 4 it fails strictly, while its
    // similarity (within 8) is complete; a is exact.
    const CaseResult& pictures = resultFor(result, "cases/pictures");
    ASSERT_EQ(pictures.images.size(), 2u);
    EXPECT_TRUE(pictures.images[0].passed);
    EXPECT_FALSE(pictures.images[1].passed);
    EXPECT_EQ(pictures.images[1].outliers, 1);
    EXPECT_DOUBLE_EQ(pictures.images[1].similarity.withinShare, 1.0);
    EXPECT_EQ(pictures.status, CaseStatus::Failed);
    EXPECT_EQ(resultFor(result, "cases/blurred").status, CaseStatus::Failed);
}

TEST_F(CorpusRunTest, AsksSwfcliForWhatEachCheckNeeds)
{
    run();
    // One run for the log and the first picture, one more for the second picture; the input and
    // the tick mode go to both.
    const QStringList runs = recordedRuns(movie("pictures"));
    ASSERT_EQ(runs.size(), 2);
    EXPECT_TRUE(runs[0].contains("--ticks 3 --input ")) << runs[0].toStdString();
    EXPECT_TRUE(runs[0].contains("--trace"));
    EXPECT_TRUE(runs[0].contains("--at 1"));
    EXPECT_TRUE(runs[1].contains("--ticks 3 --input "));
    EXPECT_TRUE(runs[1].contains("--at 3"));
    EXPECT_FALSE(runs[1].contains("--trace"));
    const QStringList plain = recordedRuns(movie("pass"));
    ASSERT_EQ(plain.size(), 1);
    EXPECT_TRUE(plain[0].startsWith("run " + movie("pass") + " --frames 2 --trace"));
    EXPECT_TRUE(recordedRuns(movie("video")).isEmpty());
}

TEST_F(CorpusRunTest, FilterSelectsCasesById)
{
    const CorpusRun result = run(QStringLiteral("/(pass|wrong)$"));
    ASSERT_EQ(result.results.size(), 2u);
    EXPECT_TRUE(recordedRuns(movie("hangs")).isEmpty());
}

TEST_F(CorpusRunTest, WithoutAFeatureAnswerEverythingRuns)
{
    swfcli = testing::writeFakeSwfcli(dir.path(), {}, false);
    const CorpusRun result = run(QStringLiteral("video"));
    EXPECT_FALSE(result.features.known);
    EXPECT_EQ(resultFor(result, "cases/video").status, CaseStatus::Passed);
}

TEST_F(CorpusRunTest, ABaselineCaseThatNoLongerPassesIsARegression)
{
    const CorpusRun result = run();
    Baseline baseline = Baseline::fromText("cases/pass\ncases/wrong\ncases/video\ncases/removed\nother/wrong\n");
    // Failed or not run, both are regressions; another corpus's cases are not judged here.
    EXPECT_EQ(baseline.regressions("cases", result.results), (QStringList{"cases/video", "cases/wrong"}));
    QSet<QString> ids;
    for (const CorpusCase& c : corpus.cases)
        ids.insert(c.id);
    EXPECT_EQ(baseline.missingFrom("cases", ids), QStringList{"cases/removed"});

    // Updating adds what passes and removes nothing.
    EXPECT_EQ(baseline.addPassing(result.results), 0);
    Baseline empty;
    EXPECT_EQ(empty.addPassing(result.results), 1);
    EXPECT_EQ(baseline.toText(), "cases/pass\ncases/removed\ncases/video\ncases/wrong\nother/wrong\n");
}

TEST(CorpusRunSound, ComparesTheMixWithTheRawReference)
{
    QTemporaryDir dir;
    const QString root = QDir(dir.path()).filePath("flat");
    // Reference frames 100, 200 (stereo); a mix holding each for eight 44.1 kHz frames matches.
    writeFile(root, "sound/s.swf", "FWS");
    writeFile(root, "sound/s.swf.1.0.raw", rawBytes({100, 100, 200, 200}));
    std::vector<int16_t> mix;
    for (int v : {100, 200})
        for (int i = 0; i < 2 * 8; ++i)  // eight stereo frames
            mix.push_back(static_cast<int16_t>(v));
    writeFile(root, "sound/s.swf.fake-wav", wavBytes(mix, 2, 44100));
    writeFile(root, "sound/t.swf", "FWS");
    writeFile(root, "sound/t.swf.1.0.raw", rawBytes({100, 100, 200, 200}));
    writeFile(root, "sound/t.swf.fake-wav", wavBytes(mix, 2, 22050));
    writeFile(root, "manifest.tsv", "suite\tpath\texpected\tfps\tfeatures\n"
                                    "sound\tsound/s.swf\ts.swf.1.0.raw\t10\tsound:event=pcm\n"
                                    "sound\tsound/t.swf\tt.swf.1.0.raw\t10\tsound:event=pcm\n");
    QString error;
    const Corpus corpus = *discoverCorpus(root, &error);
    RunOptions options;
    options.swfcli = testing::writeFakeSwfcli(dir.path(), {"sound"});
    const CorpusRun result = runCorpus(corpus, options);
    EXPECT_EQ(resultFor(result, "flat/sound/s.swf").status, CaseStatus::Passed);
    EXPECT_TRUE(recordedRuns(QDir(root).filePath("sound/s.swf"))[0].contains("--ticks 100 --wav "));
    const CaseResult& t = resultFor(result, "flat/sound/t.swf");
    EXPECT_EQ(t.status, CaseStatus::Failed);
    EXPECT_EQ(t.reason, "sound is 22050 Hz with 2 channels, expected 44100 Hz stereo");
}

}  // namespace
}  // namespace conformance
