// Judging a case from what its swfcli runs produced.
#pragma once

#include "tools/conformance/core/case_plan.h"
#include "tools/conformance/core/case_result.h"
#include "tools/conformance/core/process_pool.h"

namespace conformance {

CaseResult notRunResult(const CorpusCase& c, const QString& reason);

// `outcomes` holds one entry per invocation of `plan`, in order. A run that did not end with
// exit code 0 fails the case with its reason; otherwise every counted check must hold.
CaseResult evaluateCase(const CorpusCase& c, const CasePlan& plan, const std::vector<ProcessOutcome>& outcomes);

}  // namespace conformance
