// Reading corpora described by manifest.tsv: one row per movie (suite, path, expected, ..., fps,
// features), the expected outputs beside the movie. Such cases have no run settings of their
// own; corpus_rules.h holds the run they get.
#include "tools/conformance/core/corpus_discovery.h"

#include "tools/conformance/core/corpus_rules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <cmath>

namespace conformance {
namespace {

enum class OutputKind { Trace, Image, Sound, Unknown };

// X.swf.trace and X.swf.trace.org are logs, X.swf.png and X.swf.org.png pictures, X.swf.N.M.raw PCM.
OutputKind kindOf(const QString& name)
{
    if (name.endsWith(QStringLiteral(".raw")))
        return OutputKind::Sound;
    if (name.endsWith(QStringLiteral(".png")))
        return OutputKind::Image;
    if (name.endsWith(QStringLiteral(".trace")) || name.contains(QStringLiteral(".trace.")))
        return OutputKind::Trace;
    return OutputKind::Unknown;
}

class RowReader {
public:
    RowReader(const Corpus& corpus, const QStringList& header) : corpus_(corpus)
    {
        for (qsizetype i = 0; i < header.size(); ++i)
            columns_.insert(header[i].trimmed(), i);
    }

    bool hasPathColumn() const { return columns_.contains(QStringLiteral("path")); }
    bool hasFrameRateColumn() const { return columns_.contains(QStringLiteral("fps")); }

    CorpusCase read(const QStringList& row) const
    {
        CorpusCase c;
        const QString path = QDir::cleanPath(cell(row, QStringLiteral("path")));
        c.id = corpus_.name + u'/' + path;
        const QString suite = cell(row, QStringLiteral("suite"));
        c.suite = !suite.isEmpty() ? suite : path.section(u'/', 0, 0);
        if (path.isEmpty() || path.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(path)) {
            c.skipReason = QStringLiteral("bad path in manifest.tsv");
            return c;
        }
        c.movie = QDir(corpus_.root).filePath(path);
        if (!QFileInfo::exists(c.movie)) {
            c.skipReason = QStringLiteral("movie missing");
            return c;
        }

        c.run.mode = RunMode::Ticks;
        c.run.count = std::max(1, static_cast<int>(std::ceil(rules::kTimedRunSeconds * frameRate(row))));

        QStringList logs, pictures, sounds;
        for (const QString& entry : cell(row, QStringLiteral("expected")).split(u';', Qt::SkipEmptyParts)) {
            const QString name = entry.trimmed();
            const QString file = resolve(c.movie, name);
            if (file.isEmpty()) {
                c.skipReason = QStringLiteral("%1 missing").arg(name);
                return c;
            }
            switch (kindOf(name)) {
            case OutputKind::Trace: logs << file; break;
            case OutputKind::Image: pictures << file; break;
            case OutputKind::Sound: sounds << file; break;
            case OutputKind::Unknown: c.skipReason = QStringLiteral("unknown kind of output %1").arg(name); return c;
            }
        }
        if (logs.isEmpty() && pictures.isEmpty() && sounds.isEmpty()) {
            c.skipReason = QStringLiteral("no expected output listed");
            return c;
        }
        // The first file of a kind is the reference; later ones (*.org) are accepted as well.
        if (!logs.isEmpty()) {
            c.trace = TraceExpectation{logs.takeFirst(), logs, std::nullopt, false};
            c.needs << feature::scripts;
        }
        if (!pictures.isEmpty()) {
            ImageExpectation image;
            image.name = QStringLiteral("stage");
            image.file = pictures.takeFirst();
            image.alternates = pictures;
            image.rules = {ImageRule{rules::kTimedImageTolerance, 0, rules::kTimedImageMaxOutlierShare}};
            image.reference = QStringLiteral("unknown");
            c.images.push_back(image);
            c.needs << feature::render;
        }
        if (!sounds.isEmpty()) {
            c.sound = SoundExpectation{sounds};
            c.needs << feature::sound;
        }
        for (const QString& f : cell(row, QStringLiteral("features")).split(u',', Qt::SkipEmptyParts)) {
            const QString name = f.trimmed();
            if (name == u"doaction" || name == u"initaction")
                c.needs << feature::scripts;
            else if (name == u"video")
                c.needs << feature::video;
            else if (name.startsWith(QStringLiteral("sound")))
                c.needs << feature::sound;
        }
        return c;
    }

private:
    QString cell(const QStringList& row, const QString& column) const
    {
        const qsizetype i = columns_.value(column, -1);
        return i >= 0 && i < row.size() ? row[i].trimmed() : QString();
    }

    double frameRate(const QStringList& row) const
    {
        bool ok = false;
        const double fps = cell(row, QStringLiteral("fps")).toDouble(&ok);
        return ok && fps > 0 && fps < 1000 ? fps : rules::kFallbackFrameRate;
    }

    // Expected files sit beside the movie; a path relative to the corpus root is taken too.
    QString resolve(const QString& movie, const QString& name) const
    {
        if (name.contains(QStringLiteral("..")))
            return {};
        for (const QString& candidate : {QFileInfo(movie).dir().filePath(name), QDir(corpus_.root).filePath(name)})
            if (QFileInfo(candidate).isFile())
                return candidate;
        return {};
    }

    const Corpus& corpus_;
    QHash<QString, qsizetype> columns_;
};

}  // namespace

Corpus readManifestTsvCorpus(const QString& folder)
{
    Corpus corpus;
    corpus.root = QFileInfo(folder).canonicalFilePath();
    corpus.name = QFileInfo(corpus.root).fileName();
    corpus.form = QStringLiteral("manifest-tsv");
    QFile file(QDir(corpus.root).filePath(QStringLiteral("manifest.tsv")));
    if (!file.open(QIODevice::ReadOnly)) {
        corpus.warnings << QStringLiteral("cannot read manifest.tsv");
        return corpus;
    }
    QList<QByteArray> lines = file.readAll().split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    if (lines.isEmpty()) {
        corpus.warnings << QStringLiteral("manifest.tsv is empty");
        return corpus;
    }
    auto fields = [](const QByteArray& line) {
        QByteArray text = line;
        if (text.endsWith('\r'))
            text.chop(1);
        return QString::fromUtf8(text).split(u'\t');
    };
    const RowReader reader(corpus, fields(lines.takeFirst()));
    if (!reader.hasPathColumn()) {
        corpus.warnings << QStringLiteral("manifest.tsv has no path column");
        return corpus;
    }
    if (!reader.hasFrameRateColumn())
        corpus.warnings << QStringLiteral("manifest.tsv has no fps column: every movie is taken to run at %1 fps")
                               .arg(rules::kFallbackFrameRate);
    QSet<QString> seen;
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        CorpusCase c = reader.read(fields(line));
        if (seen.contains(c.id)) {
            corpus.warnings << QStringLiteral("%1 listed twice in manifest.tsv").arg(c.id);
            continue;
        }
        seen.insert(c.id);
        corpus.cases.push_back(std::move(c));
    }
    return corpus;
}

}  // namespace conformance
