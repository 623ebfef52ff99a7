// Running a whole corpus through swfcli: plans every case, runs the processes in parallel and
// judges each case as its last run ends.
#pragma once

#include "tools/conformance/core/case_plan.h"
#include "tools/conformance/core/case_result.h"
#include "tools/conformance/core/corpus_case.h"

#include <QString>

#include <optional>
#include <vector>

namespace conformance {

struct RunOptions {
    QString swfcli;
    int jobs = 2;
    int timeoutSeconds = 20;
    qint64 memoryLimitBytes = 0;               // per swfcli process; 0: none
    QString filter;                            // regular expression on case ids; empty: all
    std::optional<SwfcliFeatures> features;    // given: used instead of asking swfcli
};

struct CorpusRun {
    SwfcliFeatures features;
    std::vector<CaseResult> results;           // in corpus order, filtered cases left out
};

// Asks `swfcli features`; an unknown answer leaves `known` false.
SwfcliFeatures probeFeatures(const QString& swfcli, int timeoutSeconds);

// The cases whose id matches `filter` (all when it is empty). An invalid expression matches none.
std::vector<const CorpusCase*> selectCases(const Corpus& corpus, const QString& filter);

CorpusRun runCorpus(const Corpus& corpus, const RunOptions& options);

}  // namespace conformance
