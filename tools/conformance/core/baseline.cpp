#include "tools/conformance/core/baseline.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace conformance {
namespace {

bool inCorpus(const QString& id, const QString& corpusName)
{
    return id.startsWith(corpusName + u'/');
}

}  // namespace

std::optional<Baseline> Baseline::load(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists())
        return Baseline{};
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    return fromText(file.readAll());
}

Baseline Baseline::fromText(const QByteArray& text)
{
    Baseline baseline;
    for (const QByteArray& line : text.split('\n')) {
        const QString id = QString::fromUtf8(line).trimmed();
        if (!id.isEmpty())
            baseline.ids_.insert(id);
    }
    return baseline;
}

QStringList Baseline::regressions(const QString& corpusName, const std::vector<CaseResult>& results) const
{
    QStringList out;
    for (const CaseResult& result : results)
        if (result.status != CaseStatus::Passed && inCorpus(result.id, corpusName) && ids_.contains(result.id))
            out << result.id;
    std::sort(out.begin(), out.end());
    return out;
}

QStringList Baseline::missingFrom(const QString& corpusName, const QSet<QString>& knownIds) const
{
    QStringList out;
    for (const QString& id : ids_)
        if (inCorpus(id, corpusName) && !knownIds.contains(id))
            out << id;
    std::sort(out.begin(), out.end());
    return out;
}

int Baseline::addPassing(const std::vector<CaseResult>& results)
{
    int added = 0;
    for (const CaseResult& result : results) {
        if (result.status == CaseStatus::Passed && !ids_.contains(result.id)) {
            ids_.insert(result.id);
            ++added;
        }
    }
    return added;
}

QByteArray Baseline::toText() const
{
    QStringList sorted(ids_.begin(), ids_.end());
    std::sort(sorted.begin(), sorted.end());
    QByteArray text;
    for (const QString& id : sorted)
        text += id.toUtf8() + '\n';
    return text;
}

bool Baseline::save(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(toText()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

}  // namespace conformance
