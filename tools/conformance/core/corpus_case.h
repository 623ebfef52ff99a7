// One conformance case as discovered in a corpus folder: the movie, how long to run it, and what
// its output must match. Both corpus forms are read into this one model.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace conformance {

// Features a swfcli build may report supporting; a case needing a missing one is not run.
namespace feature {
inline const QString render = QStringLiteral("render");      // --png
inline const QString scripts = QStringLiteral("scripts");    // ActionScript, trace() output
inline const QString sound = QStringLiteral("sound");        // --wav
inline const QString video = QStringLiteral("video");        // embedded video and FLV streams
inline const QString input = QStringLiteral("input");        // --input events.json
inline const QString fetchLog = QStringLiteral("fetch-log"); // logging of URL requests in the trace
}  // namespace feature

enum class RunMode { Frames, Ticks };

struct RunLength {
    RunMode mode = RunMode::Frames;
    int count = 1;
};

// Tolerance for numbers in trace lines, where a case asks for it.
struct Approximations {
    double epsilon = 0.0;
    bool bareNumbers = false;             // lines that are one number
    QStringList numberPatterns;           // regular expressions; their capture groups are numbers
};

struct TraceExpectation {
    QString file;                         // the reference log
    QStringList alternates;               // other logs that are accepted as well
    std::optional<Approximations> approximations;
    bool knownFailure = false;            // flagged in the corpus; reported, still counted
};

// A strict image rule: a channel value is an outlier when it differs by more than `tolerance`;
// the check holds when outliers <= maxOutliers + maxOutlierShare * (channel values compared).
struct ImageRule {
    int tolerance = 0;
    long long maxOutliers = 0;
    double maxOutlierShare = 0.0;
};

struct ImageExpectation {
    QString name;
    QString file;                         // the reference picture
    QStringList alternates;               // other pictures that are accepted as well
    std::optional<int> atIteration;       // taken after this frame/tick; none: after the last one
    std::vector<ImageRule> rules;         // all must hold
    QString reference;                    // origin named by the corpus (flash_player, unknown, ...)
    bool counted = true;                  // false: reported only, does not decide the case
    bool knownFailure = false;
};

struct SoundExpectation {
    QStringList rawFiles;                 // mixed together when there are several
};

struct CorpusCase {
    QString id;                           // "<corpus>/<path>", the baseline's key
    QString suite;
    QString movie;                        // absolute path of the .swf
    RunLength run;
    QString inputFile;                    // events.json to feed, if any
    std::optional<double> scriptTimeoutSeconds;  // the player's script time limit, when set
    std::optional<TraceExpectation> trace;
    std::vector<ImageExpectation> images;
    bool imagesOptional = false;          // pictures are skipped (not failed) without a renderer
    std::optional<SoundExpectation> sound;
    QStringList needs;                    // features the case cannot run without
    QString skipReason;                   // set: never run (ignored, incomplete, broken case)
};

struct Corpus {
    QString name;                         // folder name; prefix of every case id
    QString root;
    QString form;                         // "toml" or "tsv"
    std::vector<CorpusCase> cases;
    QStringList warnings;
};

}  // namespace conformance
