// The baseline: the ids of the cases that passed, one per line, sorted. A case on it that no
// longer passes is a regression. It only grows: cases are added when they pass and never removed
// by the runner.
#pragma once

#include "tools/conformance/core/case_result.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace conformance {

class Baseline {
public:
    // A missing file is an empty baseline (the first --update-baseline creates it).
    static std::optional<Baseline> load(const QString& path, QString* error);
    static Baseline fromText(const QByteArray& text);

    bool contains(const QString& id) const { return ids_.contains(id); }
    qsizetype size() const { return ids_.size(); }

    // Baseline cases of `corpusName` that did not pass among `results`.
    QStringList regressions(const QString& corpusName, const std::vector<CaseResult>& results) const;
    // Baseline cases of `corpusName` that `knownIds` (all cases the corpus holds) lacks.
    QStringList missingFrom(const QString& corpusName, const QSet<QString>& knownIds) const;

    // Adds the passing cases; returns how many were new.
    int addPassing(const std::vector<CaseResult>& results);

    QByteArray toText() const;
    bool save(const QString& path, QString* error) const;

private:
    QSet<QString> ids_;
};

}  // namespace conformance
