// The conformance program as CTest and people run it: exit codes, the summary, the report and
// the baseline file.
#include "conformance_fixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

namespace conformance {
namespace {

using testing::writeFile;

struct ProgramRun {
    int exitCode = -1;
    QString output;
};

ProgramRun runProgram(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(CONFORMANCE_PROGRAM), arguments);
    if (!process.waitForFinished(60'000))
        process.kill();
    return ProgramRun{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                      QString::fromUtf8(process.readAll())};
}

class ConformanceProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = QDir(dir.path()).filePath(QStringLiteral("corpus"));
        for (const char* name : {"good", "bad"}) {
            writeFile(root, QStringLiteral("%1/test.swf").arg(name), "FWS");
            writeFile(root, QStringLiteral("%1/test.toml").arg(name), "num_frames = 1\n");
            writeFile(root, QStringLiteral("%1/output.txt").arg(name), "hi\n");
        }
        writeFile(root, "good/test.swf.fake-trace", "hi\n");
        writeFile(root, "bad/test.swf.fake-trace", "ho\n");
        writeFile(root, "manifest.json", R"({"tests": [{"path": "good", "group": "g"}, {"path": "bad", "group": "g"}]})");
        swfcli = testing::writeFakeSwfcli(dir.path(), {"scripts"});
        baseline = QDir(dir.path()).filePath("baseline.txt");
        report = QDir(dir.path()).filePath("report.json");
    }

    QStringList arguments(const QStringList& extra) const
    {
        return QStringList{root, QStringLiteral("--swfcli"), swfcli, QStringLiteral("--jobs"), QStringLiteral("2")} + extra;
    }

    QByteArray baselineText() const
    {
        QFile file(baseline);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString root, swfcli, baseline, report;
};

TEST_F(ConformanceProgram, PrintsSuitesAndTotalsAndWritesTheReport)
{
    const ProgramRun run = runProgram(arguments({"--json", report}));
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("corpus/g: 1 passed, 1 failed, 0 not run\n"));
    EXPECT_TRUE(run.output.endsWith("1 passed, 1 failed, 0 not run\n")) << run.output.toStdString();

    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(json["passed"].toInt(), 1);
    const QJsonArray cases = json["cases"].toArray();
    ASSERT_EQ(cases.size(), 2);
    EXPECT_EQ(cases[0].toObject()["id"].toString(), "corpus/bad");
    EXPECT_EQ(cases[0].toObject()["status"].toString(), "failed");
    EXPECT_EQ(cases[0].toObject()["trace"].toObject()["firstDifferentLine"].toInt(), 1);
    EXPECT_EQ(cases[1].toObject()["status"].toString(), "passed");
}

TEST_F(ConformanceProgram, BaselineGrowsAndCatchesRegressions)
{
    writeFile(dir.path(), "baseline.txt", "other/kept\n");
    ProgramRun run = runProgram(arguments({"--baseline", baseline, "--update-baseline"}));
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(baselineText(), "corpus/good\nother/kept\n");

    // The passing case breaks: a regression, the run fails, and the baseline keeps the case.
    writeFile(root, "good/test.swf.fake-trace", "changed\n");
    run = runProgram(arguments({"--baseline", baseline, "--update-baseline"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("REGRESSION corpus/good: trace line 1")) << run.output.toStdString();
    EXPECT_EQ(baselineText(), "corpus/good\nother/kept\n");
}

TEST_F(ConformanceProgram, MissingCorpusIsASkipAndBadUsageAnError)
{
    EXPECT_EQ(runProgram({QDir(dir.path()).filePath("absent"), "--swfcli", swfcli}).exitCode, 77);
    EXPECT_EQ(runProgram(arguments({"--update-baseline"})).exitCode, 2);
    EXPECT_EQ(runProgram(arguments({"--jobs", "0"})).exitCode, 2);
    EXPECT_EQ(runProgram(arguments({"--filter", "("})).exitCode, 2);
    QDir(dir.path()).mkdir("plain");
    EXPECT_EQ(runProgram({QDir(dir.path()).filePath("plain"), "--swfcli", swfcli}).exitCode, 2);  // not a corpus
}

}  // namespace
}  // namespace conformance
