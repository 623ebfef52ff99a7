// The outcome of one case: its status, the reason, and the figures of every check.
#pragma once

#include "tools/conformance/core/image_comparison.h"
#include "tools/conformance/core/sound_comparison.h"
#include "tools/conformance/core/trace_comparison.h"

#include <QString>

#include <optional>
#include <vector>

namespace conformance {

enum class CaseStatus { Passed, Failed, NotRun };

struct TraceResult {
    bool passed = false;
    QString matchedFile;          // the reference log that matched
    TraceVerdict verdict;         // against the primary reference
};

struct ImageResult {
    QString name;
    QString reference;            // origin named by the corpus
    bool counted = true;
    bool passed = false;
    QString reason;
    QString comparedFile;         // the reference the figures below are against
    long long outliers = -1;      // under the first rule
    long long allowed = 0;
    int tolerance = 0;
    ImageDifference similarity;
};

struct SoundResult {
    bool passed = false;
    QString reason;
    SoundDifference difference;
};

struct CaseResult {
    QString id;
    QString suite;
    CaseStatus status = CaseStatus::NotRun;
    QString reason;
    qint64 elapsedMs = 0;
    bool knownFailure = false;
    std::optional<TraceResult> trace;
    std::vector<ImageResult> images;
    std::optional<SoundResult> sound;
};

QString statusName(CaseStatus status);

}  // namespace conformance
