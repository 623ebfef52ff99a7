#include "tools/conformance/core/case_evaluation.h"

#include "tools/conformance/core/corpus_rules.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace conformance {
namespace {

constexpr int kMixRate = 44100;
// Longest piece of a log line quoted in a reason.
constexpr int kQuoteLength = 80;

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QString quote(const QByteArray& line)
{
    QString text = QString::fromUtf8(line);
    if (text.size() > kQuoteLength)
        text = text.left(kQuoteLength) + QStringLiteral("...");
    return u'"' + text + u'"';
}

TraceResult checkTrace(const TraceExpectation& expected, const QByteArray& log, QString* reason)
{
    TraceResult result;
    QStringList references{expected.file};
    references += expected.alternates;
    for (const QString& file : references) {
        const auto reference = readAll(file);
        if (!reference) {
            if (file == expected.file)
                *reason = QStringLiteral("cannot read %1").arg(QFileInfo(file).fileName());
            continue;
        }
        const TraceVerdict verdict = compareTrace(*reference, log, expected.approximations);
        if (file == expected.file)
            result.verdict = verdict;
        if (verdict.matches) {
            result.passed = true;
            result.matchedFile = file;
            reason->clear();
            return result;
        }
    }
    if (reason->isEmpty()) {
        const TraceVerdict& v = result.verdict;
        *reason = QStringLiteral("trace line %1: expected %2, got %3")
                      .arg(v.firstDifferentLine)
                      .arg(v.firstDifferentLine > v.expectedLineCount ? QStringLiteral("end of log") : quote(v.expectedLine),
                           v.firstDifferentLine > v.actualLineCount ? QStringLiteral("end of log") : quote(v.actualLine));
    }
    return result;
}

ImageResult checkImage(const ImageExpectation& expected, const QString& renderedPath)
{
    ImageResult result;
    result.name = expected.name;
    result.reference = expected.reference;
    result.counted = expected.counted;
    result.tolerance = expected.rules.empty() ? 0 : expected.rules.front().tolerance;
    const QImage rendered(renderedPath);
    if (rendered.isNull()) {
        result.reason = QStringLiteral("picture %1 not written").arg(expected.name);
        return result;
    }
    QStringList references{expected.file};
    references += expected.alternates;
    bool haveFigures = false;
    for (const QString& file : references) {
        const QImage reference(file);
        if (reference.isNull())
            continue;
        const ImageDifference similarity = measureImages(reference, rendered);
        bool passes = similarity.sameSize;
        long long firstOutliers = -1;
        long long firstAllowed = 0;
        for (const ImageRule& rule : expected.rules) {
            const long long outliers = countOutliers(reference, rendered, rule.tolerance);
            const long long allowed = allowedOutliers(rule, similarity.channelValues);
            if (firstOutliers < 0) {
                firstOutliers = outliers;
                firstAllowed = allowed;
            }
            passes = passes && outliers >= 0 && outliers <= allowed;
        }
        // Figures follow the passing reference, else the most similar one.
        if (passes || !haveFigures || similarity.withinShare > result.similarity.withinShare) {
            haveFigures = true;
            result.similarity = similarity;
            result.outliers = firstOutliers;
            result.allowed = firstAllowed;
            result.comparedFile = file;
            if (!similarity.sameSize)
                result.reason = QStringLiteral("picture %1 is %2x%3, expected %4x%5")
                                    .arg(expected.name)
                                    .arg(rendered.width()).arg(rendered.height())
                                    .arg(reference.width()).arg(reference.height());
            else
                result.reason = QStringLiteral("picture %1: %2 values off by more than %3 (%4 allowed)")
                                    .arg(expected.name)
                                    .arg(firstOutliers).arg(result.tolerance).arg(firstAllowed);
        }
        if (passes) {
            result.passed = true;
            result.reason.clear();
            return result;
        }
    }
    if (!haveFigures)
        result.reason = QStringLiteral("cannot read reference picture %1").arg(QFileInfo(expected.file).fileName());
    return result;
}

SoundResult checkSound(const SoundExpectation& expected, const QString& wavPath)
{
    SoundResult result;
    const auto wavBytes = readAll(wavPath);
    if (!wavBytes) {
        result.reason = QStringLiteral("sound not written");
        return result;
    }
    QString error;
    const auto mix = parseWav(*wavBytes, &error);
    if (!mix) {
        result.reason = QStringLiteral("sound: %1").arg(error);
        return result;
    }
    if (mix->channels != 2 || mix->sampleRate != kMixRate) {
        result.reason = QStringLiteral("sound is %1 Hz with %2 channels, expected %3 Hz stereo")
                            .arg(mix->sampleRate).arg(mix->channels).arg(kMixRate);
        return result;
    }
    std::vector<Pcm> streams;
    for (const QString& file : expected.rawFiles) {
        const auto bytes = readAll(file);
        const auto raw = bytes ? parseRawStereo(*bytes, &error) : std::nullopt;
        if (!raw) {
            result.reason = QStringLiteral("reference %1: %2").arg(QFileInfo(file).fileName(), bytes ? error : QStringLiteral("unreadable"));
            return result;
        }
        streams.push_back(*raw);
    }
    result.difference = compareSound(mixStreams(streams), *mix);
    result.passed = result.difference.passes();
    if (!result.passed)
        result.reason = QStringLiteral("sound: %1 of %2 values off by more than %3, %4 past the end not silent (%5 allowed)")
                            .arg(result.difference.outliers)
                            .arg(result.difference.compared)
                            .arg(rules::kSoundTolerance)
                            .arg(result.difference.tailOutliers)
                            .arg(result.difference.allowed);
    return result;
}

}  // namespace

CaseResult notRunResult(const CorpusCase& c, const QString& reason)
{
    CaseResult result;
    result.id = c.id;
    result.suite = c.suite;
    result.status = CaseStatus::NotRun;
    result.reason = reason;
    result.knownFailure = c.trace && c.trace->knownFailure;
    return result;
}

CaseResult evaluateCase(const CorpusCase& c, const CasePlan& plan, const std::vector<ProcessOutcome>& outcomes)
{
    CaseResult result = notRunResult(c, {});
    for (const ProcessOutcome& outcome : outcomes)
        result.elapsedMs += outcome.elapsedMs;
    result.status = CaseStatus::Failed;
    for (const ProcessOutcome& outcome : outcomes) {
        if (!outcome.succeeded()) {
            result.reason = outcome.describeFailure();
            return result;
        }
    }

    QStringList failures;
    bool anyCounted = false;
    for (size_t i = 0; i < plan.invocations.size() && i < outcomes.size(); ++i) {
        const Invocation& run = plan.invocations[i];
        if (run.capturesTrace && c.trace) {
            QString reason;
            result.trace = checkTrace(*c.trace, outcomes[i].standardOutput, &reason);
            anyCounted = true;
            if (!result.trace->passed)
                failures << reason;
        }
        if (run.imageIndex >= 0) {
            const ImageExpectation& expected = c.images[static_cast<size_t>(run.imageIndex)];
            result.images.push_back(checkImage(expected, run.pngPath));
            anyCounted = anyCounted || expected.counted;
            if (expected.counted && !result.images.back().passed)
                failures << result.images.back().reason;
        }
        if (!run.wavPath.isEmpty() && c.sound) {
            result.sound = checkSound(*c.sound, run.wavPath);
            anyCounted = true;
            if (!result.sound->passed)
                failures << result.sound->reason;
        }
    }
    if (!anyCounted) {
        result.status = CaseStatus::NotRun;
        result.reason = QStringLiteral("only pictures from another engine to compare");
        return result;
    }
    if (failures.isEmpty()) {
        result.status = CaseStatus::Passed;
        return result;
    }
    result.reason = failures.join(QStringLiteral("; "));
    return result;
}

}  // namespace conformance
