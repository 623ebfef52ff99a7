#include "tools/conformance/core/corpus_discovery.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace conformance {

std::optional<Corpus> discoverCorpus(const QString& folder, QString* error)
{
    const QDir dir(folder);
    if (!dir.exists()) {
        if (error)
            *error = QStringLiteral("%1: no such folder").arg(folder);
        return std::nullopt;
    }
    if (dir.exists(QStringLiteral("manifest.tsv")))
        return readManifestTsvCorpus(folder);
    QDirIterator it(folder, {QStringLiteral("test.toml")}, QDir::Files, QDirIterator::Subdirectories);
    if (dir.exists(QStringLiteral("manifest.json")) || it.hasNext())
        return readCaseFolderCorpus(folder);
    if (error)
        *error = QStringLiteral("%1: neither manifest.tsv nor case folders with test.toml").arg(folder);
    return std::nullopt;
}

}  // namespace conformance
