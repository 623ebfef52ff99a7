// What swfcli is asked to do for a case: which checks can run with the features the swfcli build
// reports, and the command lines that produce their outputs.
#pragma once

#include "tools/conformance/core/corpus_case.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace conformance {

// The features a swfcli build reports through `swfcli features` (one name per line). A build
// that does not answer is taken to support everything, so that its cases run (and fail honestly)
// rather than vanish from the figures.
struct SwfcliFeatures {
    bool known = false;
    QStringList names;
    bool supports(const QString& name) const { return !known || names.contains(name); }
};

SwfcliFeatures parseFeatureList(const QString& text);  // names separated by newlines, spaces or commas

struct Invocation {
    QStringList arguments;
    bool capturesTrace = false;
    int imageIndex = -1;          // the picture of case.images this run writes, if any
    QString pngPath;
    QString wavPath;
};

struct CasePlan {
    QString notRunReason;         // set: the case is not run
    bool checkTrace = false;
    bool checkImages = false;
    bool checkSound = false;
    std::vector<Invocation> invocations;
};

// One run for the log, the first picture and the sound; one more run per further picture (the
// swfcli contract writes one picture per run). Output files go to `workDir`, named after
// `filePrefix`.
CasePlan planCase(const CorpusCase& c, const SwfcliFeatures& features, const QString& workDir, const QString& filePrefix);

}  // namespace conformance
