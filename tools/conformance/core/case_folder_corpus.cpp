// Reading corpora of case folders: FOLDER/test.swf with test.toml (run settings, picture checks),
// output.txt (the trace log), NAME.expected.png and input.json; manifest.json, where present,
// adds each case's group and the origin of its pictures.
#include "tools/conformance/core/corpus_discovery.h"

#include "tools/conformance/core/corpus_rules.h"
#include "tools/conformance/core/toml_reader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace conformance {
namespace {

// Longer runs than this are surely a damaged test.toml, not a test.
constexpr qint64 kMaxIterations = 1'000'000;

QByteArray readFile(const QString& path, bool* ok = nullptr)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok)
        *ok = opened;
    return opened ? file.readAll() : QByteArray();
}

std::optional<qint64> positiveInteger(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (d < 1 || d > kMaxIterations || d != std::floor(d))
        return std::nullopt;
    return static_cast<qint64>(d);
}

// A flag that may be written `key = true` or as a table (`key = { optional = false, ... }`).
bool isEnabled(const QJsonValue& value)
{
    return value.isObject() || (value.isBool() && value.toBool());
}

std::optional<Approximations> readApproximations(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject table = value.toObject();
    Approximations a;
    a.epsilon = table.value(QStringLiteral("epsilon")).toDouble(0.0);
    a.bareNumbers = table.value(QStringLiteral("bare_numbers")).toBool(false);
    for (const QJsonValue& pattern : table.value(QStringLiteral("number_patterns")).toArray())
        if (pattern.isString())
            a.numberPatterns << pattern.toString();
    return a;
}

ImageRule readImageRule(const QJsonObject& table)
{
    ImageRule rule;
    rule.tolerance = table.value(QStringLiteral("tolerance")).toInt(0);
    rule.maxOutliers = table.value(QStringLiteral("max_outliers")).toInteger(0);
    return rule;
}

class CaseReader {
public:
    CaseReader(const QString& root, const QString& corpusName) : root_(root), corpusName_(corpusName) {}

    CorpusCase read(const QString& path, const QJsonObject& manifestEntry) const
    {
        CorpusCase c;
        c.id = corpusName_ + u'/' + path;
        const QString group = manifestEntry.value(QStringLiteral("group")).toString();
        c.suite = !group.isEmpty() ? group : path.section(u'/', 0, 0);
        const QDir dir(QDir(root_).filePath(path));
        c.movie = dir.filePath(QStringLiteral("test.swf"));

        if (!QFileInfo::exists(c.movie)) {
            c.skipReason = QStringLiteral("no test.swf");
            return c;
        }
        if (manifestEntry.value(QStringLiteral("incomplete")).toBool(false)) {
            c.skipReason = QStringLiteral("marked incomplete in manifest.json");
            return c;
        }
        bool readable = false;
        const QByteArray tomlText = readFile(dir.filePath(QStringLiteral("test.toml")), &readable);
        if (!readable) {
            c.skipReason = QStringLiteral("no test.toml");
            return c;
        }
        TomlError tomlError;
        const std::optional<QJsonObject> toml = parseToml(tomlText, &tomlError);
        if (!toml) {
            c.skipReason = QStringLiteral("test.toml line %1: %2").arg(tomlError.line).arg(tomlError.message);
            return c;
        }
        if (toml->value(QStringLiteral("ignore")).toBool(false)) {
            c.skipReason = QStringLiteral("ignored by test.toml");
            return c;
        }
        readRunLength(*toml, c);
        readTrace(*toml, dir, c);
        readPlayerOptions(*toml, dir, c);
        readImages(*toml, dir, manifestEntry, c);
        return c;
    }

private:
    static void readRunLength(const QJsonObject& toml, CorpusCase& c)
    {
        const QJsonValue ticks = toml.value(QStringLiteral("num_ticks"));
        const QJsonValue frames = toml.value(QStringLiteral("num_frames"));
        const QJsonValue& given = !ticks.isUndefined() ? ticks : frames;
        c.run.mode = !ticks.isUndefined() ? RunMode::Ticks : RunMode::Frames;
        c.run.count = rules::kDefaultIterations;
        if (given.isUndefined())
            return;
        if (const auto count = positiveInteger(given))
            c.run.count = static_cast<int>(*count);
        else
            c.skipReason = QStringLiteral("test.toml: bad %1").arg(!ticks.isUndefined() ? "num_ticks" : "num_frames");
    }

    static void readTrace(const QJsonObject& toml, const QDir& dir, CorpusCase& c)
    {
        const QString log = dir.filePath(QStringLiteral("output.txt"));
        if (!QFileInfo::exists(log))
            return;
        TraceExpectation trace;
        trace.file = log;
        trace.approximations = readApproximations(toml.value(QStringLiteral("approximations")));
        trace.knownFailure = toml.value(QStringLiteral("known_failure")).toBool(false);
        c.trace = trace;
        // Only a script prints to the log, so a case with an empty reference log runs without one.
        if (QFileInfo(log).size() > 0)
            c.needs << feature::scripts;
        // The reference log then holds the request log of the harness that recorded it.
        if (toml.value(QStringLiteral("log_fetch")).toBool(false))
            c.needs << feature::fetchLog;
    }

    static void readPlayerOptions(const QJsonObject& toml, const QDir& dir, CorpusCase& c)
    {
        const QJsonObject options = toml.value(QStringLiteral("player_options")).toObject();
        const QJsonValue renderer = options.value(QStringLiteral("with_renderer"));
        c.imagesOptional = renderer.isObject() && renderer.toObject().value(QStringLiteral("optional")).toBool(false);
        if (isEnabled(options.value(QStringLiteral("with_video"))))
            c.needs << feature::video;
        // max_execution_duration = { secs = S, nanos = N }: how long a frame's scripts may run.
        const QJsonObject duration = options.value(QStringLiteral("max_execution_duration")).toObject();
        if (!duration.isEmpty()) {
            const double seconds = duration.value(QStringLiteral("secs")).toDouble() +
                                   duration.value(QStringLiteral("nanos")).toDouble() / 1e9;
            if (seconds > 0) c.scriptTimeoutSeconds = seconds;
        }
        const QString input = dir.filePath(QStringLiteral("input.json"));
        if (QFileInfo::exists(input)) {
            c.inputFile = input;
            c.needs << feature::input;
        }
    }

    static void readImages(const QJsonObject& toml, const QDir& dir, const QJsonObject& manifestEntry, CorpusCase& c)
    {
        const QJsonObject comparisons = toml.value(QStringLiteral("image_comparisons")).toObject();
        const QJsonObject manifestImages = manifestEntry.value(QStringLiteral("images")).toObject();
        for (auto it = comparisons.begin(); it != comparisons.end(); ++it) {
            const QJsonObject table = it.value().toObject();
            ImageExpectation image;
            image.name = it.key();
            image.file = dir.filePath(image.name + QStringLiteral(".expected.png"));
            if (!QFileInfo::exists(image.file)) {
                c.skipReason = QStringLiteral("no %1.expected.png").arg(image.name);
                return;
            }
            const QJsonValue trigger = table.value(QStringLiteral("trigger"));
            if (trigger.isDouble()) {
                const auto at = positiveInteger(trigger);
                if (!at || *at > c.run.count) {
                    c.skipReason = QStringLiteral("picture %1: trigger %2 outside the run").arg(image.name).arg(trigger.toDouble());
                    return;
                }
                image.atIteration = static_cast<int>(*at);
            } else if (!trigger.isUndefined() && trigger.toString() != u"last_frame") {
                // Pictures a movie asks for itself (fscommand) have no swfcli equivalent.
                c.skipReason = QStringLiteral("picture %1: trigger '%2' not supported").arg(image.name, trigger.toString());
                return;
            }
            const QJsonArray checks = table.value(QStringLiteral("checks")).toArray();
            if (checks.isEmpty())
                image.rules.push_back(readImageRule(table));
            for (const QJsonValue& check : checks)
                image.rules.push_back(readImageRule(check.toObject()));
            image.knownFailure = table.value(QStringLiteral("known_failure")).toBool(false);
            image.reference = manifestImages.value(image.name).toObject().value(QStringLiteral("reference")).toString(QStringLiteral("unknown"));
            image.counted = rules::kCountOtherEngineImages || image.reference != u"other_engine";
            c.images.push_back(image);
        }
        if (!c.images.empty() && !c.imagesOptional)
            c.needs << feature::render;
    }

    QString root_;
    QString corpusName_;
};

}  // namespace

Corpus readCaseFolderCorpus(const QString& folder)
{
    Corpus corpus;
    corpus.root = QFileInfo(folder).canonicalFilePath();
    corpus.name = QFileInfo(corpus.root).fileName();
    corpus.form = QStringLiteral("case-folders");
    const QDir root(corpus.root);

    QHash<QString, QJsonObject> manifest;
    if (root.exists(QStringLiteral("manifest.json"))) {
        QJsonParseError parseError;
        const QJsonDocument doc = QJsonDocument::fromJson(readFile(root.filePath(QStringLiteral("manifest.json"))), &parseError);
        if (doc.isNull())
            corpus.warnings << QStringLiteral("manifest.json: %1").arg(parseError.errorString());
        for (const QJsonValue& entry : doc.object().value(QStringLiteral("tests")).toArray()) {
            const QString path = QDir::cleanPath(entry.toObject().value(QStringLiteral("path")).toString());
            if (path.isEmpty() || path.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(path))
                corpus.warnings << QStringLiteral("manifest.json: case path '%1' ignored").arg(path);
            else
                manifest.insert(path, entry.toObject());
        }
    }

    QSet<QString> paths(manifest.keyBegin(), manifest.keyEnd());
    QDirIterator it(corpus.root, {QStringLiteral("test.toml")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(QFileInfo(it.next()).path());
        if (relative != u".")
            paths.insert(relative);
    }
    QStringList sorted(paths.begin(), paths.end());
    std::sort(sorted.begin(), sorted.end());

    const CaseReader reader(corpus.root, corpus.name);
    for (const QString& path : sorted)
        corpus.cases.push_back(reader.read(path, manifest.value(path)));
    return corpus;
}

}  // namespace conformance
