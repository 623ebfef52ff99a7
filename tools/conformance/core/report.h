// What a run tells its reader: the text summary on standard output and the JSON report.
#pragma once

#include "tools/conformance/core/conformance_run.h"

#include <QJsonObject>
#include <QStringList>

namespace conformance {

struct RunReport {
    const Corpus& corpus;
    const CorpusRun& run;
    QStringList regressions;              // baseline cases that did not pass
    QStringList missingBaselineCases;     // baseline cases the corpus no longer has
};

struct Totals {
    int passed = 0;
    int failed = 0;
    int notRun = 0;
};

Totals totalsOf(const std::vector<CaseResult>& results);

// A line per picture and per sound (strict result and similarity), a line per suite, the
// regressions, and last "N passed, M failed, K not run". With `listFailures`, a line per failed case.
QStringList summaryLines(const RunReport& report, bool listFailures);

QJsonObject reportJson(const RunReport& report);

}  // namespace conformance
