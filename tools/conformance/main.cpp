// conformance CORPUS_DIR [--json OUT] [--swfcli PATH] [--jobs N] [--timeout S] [--baseline FILE]
//             [--filter REGEX] [--update-baseline] [--features LIST] [--memory-mb N] [--list-failures]
// Runs every case of a corpus folder through swfcli and compares what it printed, drew and played
// with the corpus's references. Exit codes: 0 no regression, 1 a baseline case did not pass,
// 2 bad usage or setup, 77 the corpus folder does not exist (a test harness skips then).
#include "tools/conformance/core/baseline.h"
#include "tools/conformance/core/conformance_run.h"
#include "tools/conformance/core/corpus_discovery.h"
#include "tools/conformance/core/report.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>

namespace {

constexpr int kExitRegression = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoCorpus = 77;

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

int usageError(const QString& message)
{
    QTextStream(stderr) << "conformance: " << message << '\n';
    return kExitUsage;
}

// swfcli beside this program (both are built to build/bin), else whatever PATH finds.
QString defaultSwfcli()
{
    const QString sibling = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("swfcli"));
    return QFileInfo(sibling).isExecutable() ? sibling : QStringLiteral("swfcli");
}

bool positive(const QString& text, int* value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace conformance;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("conformance"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs a corpus of movies through swfcli and compares the results."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("CORPUS_DIR"), QStringLiteral("Corpus folder (manifest.tsv or case folders)."));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the JSON report to OUT."), QStringLiteral("OUT"));
    const QCommandLineOption swfcliOption(QStringLiteral("swfcli"), QStringLiteral("The swfcli program."), QStringLiteral("PATH"));
    const QCommandLineOption jobsOption(QStringLiteral("jobs"), QStringLiteral("Cases run at once (2)."), QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption timeoutOption(QStringLiteral("timeout"), QStringLiteral("Seconds per swfcli run (20)."), QStringLiteral("S"), QStringLiteral("20"));
    const QCommandLineOption baselineOption(QStringLiteral("baseline"), QStringLiteral("Baseline file of passing case ids."), QStringLiteral("FILE"));
    const QCommandLineOption filterOption(QStringLiteral("filter"), QStringLiteral("Only cases whose id matches REGEX."), QStringLiteral("REGEX"));
    const QCommandLineOption updateOption(QStringLiteral("update-baseline"), QStringLiteral("Add newly passing cases to the baseline."));
    const QCommandLineOption featuresOption(QStringLiteral("features"), QStringLiteral("Features to assume instead of asking swfcli (comma list)."), QStringLiteral("LIST"));
    const QCommandLineOption memoryOption(QStringLiteral("memory-mb"), QStringLiteral("Address-space limit per swfcli run."), QStringLiteral("N"));
    const QCommandLineOption failuresOption(QStringLiteral("list-failures"), QStringLiteral("Print a line per failed case."));
    parser.addOptions({jsonOption, swfcliOption, jobsOption, timeoutOption, baselineOption, filterOption, updateOption,
                       featuresOption, memoryOption, failuresOption});
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1)
        return usageError(QStringLiteral("give exactly one corpus folder"));
    RunOptions options;
    options.swfcli = parser.isSet(swfcliOption) ? parser.value(swfcliOption) : defaultSwfcli();
    options.filter = parser.value(filterOption);
    if (!positive(parser.value(jobsOption), &options.jobs))
        return usageError(QStringLiteral("--jobs needs a positive number"));
    if (!positive(parser.value(timeoutOption), &options.timeoutSeconds))
        return usageError(QStringLiteral("--timeout needs a positive number of seconds"));
    if (parser.isSet(memoryOption)) {
        int megabytes = 0;
        if (!positive(parser.value(memoryOption), &megabytes))
            return usageError(QStringLiteral("--memory-mb needs a positive number"));
        options.memoryLimitBytes = qint64(megabytes) << 20;
    }
    if (parser.isSet(featuresOption))
        options.features = parseFeatureList(parser.value(featuresOption));
    if (!options.filter.isEmpty() && !QRegularExpression(options.filter).isValid())
        return usageError(QStringLiteral("--filter is not a valid regular expression"));
    if (parser.isSet(updateOption) && !parser.isSet(baselineOption))
        return usageError(QStringLiteral("--update-baseline needs --baseline FILE"));

    const QString corpusDir = positional.first();
    if (!QFileInfo(corpusDir).isDir()) {
        QTextStream(stderr) << "conformance: " << corpusDir << ": no such folder\n";
        return kExitNoCorpus;
    }
    QString error;
    const std::optional<Corpus> corpus = discoverCorpus(corpusDir, &error);
    if (!corpus)
        return usageError(error);

    std::optional<Baseline> baseline;
    if (parser.isSet(baselineOption)) {
        baseline = Baseline::load(parser.value(baselineOption), &error);
        if (!baseline)
            return usageError(error);
    }

    out() << "corpus " << corpus->name << " (" << corpus->form << ", " << corpus->cases.size() << " cases), swfcli "
          << options.swfcli << Qt::endl;
    for (const QString& warning : corpus->warnings)
        out() << "warning: " << warning << '\n';

    const CorpusRun run = runCorpus(*corpus, options);
    out() << "features: "
          << (run.features.known ? run.features.names.join(u' ') : QStringLiteral("not reported, all assumed")) << '\n';

    RunReport report{*corpus, run, {}, {}};
    if (baseline) {
        report.regressions = baseline->regressions(corpus->name, run.results);
        QSet<QString> ids;
        for (const CorpusCase& c : corpus->cases)
            ids.insert(c.id);
        report.missingBaselineCases = baseline->missingFrom(corpus->name, ids);
    }
    for (const QString& line : summaryLines(report, parser.isSet(failuresOption)))
        out() << line << '\n';
    if (!report.regressions.isEmpty())
        out() << report.regressions.size() << " regressions against " << parser.value(baselineOption) << '\n';
    out().flush();

    int exitCode = report.regressions.isEmpty() ? 0 : kExitRegression;
    if (parser.isSet(jsonOption)) {
        QSaveFile file(parser.value(jsonOption));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(reportJson(report)).toJson()) < 0 || !file.commit())
            exitCode = usageError(QStringLiteral("cannot write %1: %2").arg(parser.value(jsonOption), file.errorString()));
    }
    if (parser.isSet(updateOption)) {
        const int added = baseline->addPassing(run.results);
        if (!baseline->save(parser.value(baselineOption), &error))
            return usageError(error);
        out() << "baseline: " << added << " cases added, " << baseline->size() << " in all" << Qt::endl;
    }
    return exitCode;
}
