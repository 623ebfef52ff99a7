#include "tools/conformance/core/report.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QMap>

namespace conformance {
namespace {

QString percent(double share)
{
    return QString::number(100.0 * share, 'f', 1) + u'%';
}

QString decibels(double db)
{
    return QString::number(db, 'f', 1) + QStringLiteral(" dB");
}

QString pictureLine(const CaseResult& result, const ImageResult& image)
{
    QString line = QStringLiteral("picture %1").arg(result.id);
    if (image.name != u"stage")
        line += QStringLiteral(" [%1]").arg(image.name);
    line += image.passed ? QStringLiteral(": strict pass") : QStringLiteral(": strict FAIL");
    if (image.similarity.sameSize)
        line += QStringLiteral(", within 8: %1, PSNR %2").arg(percent(image.similarity.withinShare), decibels(image.similarity.psnr));
    if (!image.passed && !image.reason.isEmpty())
        line += QStringLiteral(" (%1)").arg(image.reason);
    if (!image.counted)
        line += QStringLiteral(" [reference from %1: not counted]").arg(image.reference);
    return line;
}

QString soundLine(const CaseResult& result, const SoundResult& sound)
{
    QString line = QStringLiteral("sound %1: %2").arg(result.id, sound.passed ? QStringLiteral("strict pass") : QStringLiteral("strict FAIL"));
    if (sound.difference.compared > 0 || sound.passed)
        line += QStringLiteral(", within tolerance: %1, PSNR %2").arg(percent(sound.difference.withinShare), decibels(sound.difference.psnr));
    if (!sound.passed && !sound.reason.isEmpty())
        line += QStringLiteral(" (%1)").arg(sound.reason);
    return line;
}

QJsonValue optionalString(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonObject traceJson(const TraceResult& trace)
{
    QJsonObject json{{"passed", trace.passed}, {"matchedFile", optionalString(QFileInfo(trace.matchedFile).fileName())}};
    if (!trace.verdict.matches) {
        json.insert("firstDifferentLine", trace.verdict.firstDifferentLine);
        json.insert("expectedLine", QString::fromUtf8(trace.verdict.expectedLine));
        json.insert("actualLine", QString::fromUtf8(trace.verdict.actualLine));
    }
    json.insert("expectedLines", trace.verdict.expectedLineCount);
    json.insert("actualLines", trace.verdict.actualLineCount);
    return json;
}

QJsonObject imageJson(const ImageResult& image)
{
    return QJsonObject{
        {"name", image.name},
        {"reference", image.reference},
        {"counted", image.counted},
        {"passed", image.passed},
        {"reason", optionalString(image.reason)},
        {"comparedFile", optionalString(QFileInfo(image.comparedFile).fileName())},
        {"tolerance", image.tolerance},
        {"outliers", image.outliers},
        {"allowedOutliers", image.allowed},
        {"sameSize", image.similarity.sameSize},
        {"withinTolerance8", image.similarity.withinShare},
        {"psnr", image.similarity.psnr},
    };
}

QJsonObject soundJson(const SoundResult& sound)
{
    return QJsonObject{
        {"passed", sound.passed},
        {"reason", optionalString(sound.reason)},
        {"compared", sound.difference.compared},
        {"outliers", sound.difference.outliers},
        {"tailOutliers", sound.difference.tailOutliers},
        {"allowedOutliers", sound.difference.allowed},
        {"withinTolerance", sound.difference.withinShare},
        {"psnr", sound.difference.psnr},
    };
}

}  // namespace

namespace {

void count(Totals& totals, CaseStatus status)
{
    switch (status) {
    case CaseStatus::Passed: ++totals.passed; break;
    case CaseStatus::Failed: ++totals.failed; break;
    case CaseStatus::NotRun: ++totals.notRun; break;
    }
}

}  // namespace

Totals totalsOf(const std::vector<CaseResult>& results)
{
    Totals totals;
    for (const CaseResult& result : results)
        count(totals, result.status);
    return totals;
}

QStringList summaryLines(const RunReport& report, bool listFailures)
{
    QStringList lines;
    for (const CaseResult& result : report.run.results) {
        for (const ImageResult& image : result.images)
            lines << pictureLine(result, image);
        if (result.sound)
            lines << soundLine(result, *result.sound);
    }
    if (listFailures)
        for (const CaseResult& result : report.run.results)
            if (result.status == CaseStatus::Failed)
                lines << QStringLiteral("FAIL %1: %2").arg(result.id, result.reason);

    struct SuiteFigures {
        Totals totals;
        int pictures = 0;
        double withinSum = 0.0;
        double psnrSum = 0.0;
    };
    QMap<QString, SuiteFigures> suites;
    for (const CaseResult& result : report.run.results) {
        SuiteFigures& suite = suites[result.suite];
        count(suite.totals, result.status);
        for (const ImageResult& image : result.images) {
            ++suite.pictures;
            suite.withinSum += image.similarity.withinShare;
            suite.psnrSum += image.similarity.psnr;
        }
    }
    for (auto it = suites.cbegin(); it != suites.cend(); ++it) {
        const Totals& t = it->totals;
        QString line = QStringLiteral("%1/%2: %3 passed, %4 failed, %5 not run")
                           .arg(report.corpus.name, it.key())
                           .arg(t.passed).arg(t.failed).arg(t.notRun);
        if (it->pictures > 0)
            line += QStringLiteral("; %1 pictures: mean within 8 %2, mean PSNR %3")
                        .arg(it->pictures)
                        .arg(percent(it->withinSum / it->pictures), decibels(it->psnrSum / it->pictures));
        lines << line;
    }
    for (const QString& id : report.missingBaselineCases)
        lines << QStringLiteral("warning: baseline case %1 is not in the corpus").arg(id);
    for (const QString& id : report.regressions) {
        QString reason;
        for (const CaseResult& result : report.run.results)
            if (result.id == id)
                reason = result.reason;
        lines << QStringLiteral("REGRESSION %1: %2").arg(id, reason);
    }
    const Totals t = totalsOf(report.run.results);
    lines << QStringLiteral("%1 passed, %2 failed, %3 not run").arg(t.passed).arg(t.failed).arg(t.notRun);
    return lines;
}

QJsonObject reportJson(const RunReport& report)
{
    QJsonArray cases;
    for (const CaseResult& result : report.run.results) {
        QJsonObject json{
            {"id", result.id},
            {"suite", result.suite},
            {"status", statusName(result.status)},
            {"reason", optionalString(result.reason)},
            {"elapsedMs", result.elapsedMs},
            {"knownFailure", result.knownFailure},
            {"regression", report.regressions.contains(result.id)},
        };
        if (result.trace)
            json.insert("trace", traceJson(*result.trace));
        if (!result.images.empty()) {
            QJsonArray images;
            for (const ImageResult& image : result.images)
                images.append(imageJson(image));
            json.insert("images", images);
        }
        if (result.sound)
            json.insert("sound", soundJson(*result.sound));
        cases.append(json);
    }
    const Totals t = totalsOf(report.run.results);
    return QJsonObject{
        {"corpus", report.corpus.name},
        {"root", report.corpus.root},
        {"form", report.corpus.form},
        {"features", report.run.features.known ? QJsonValue(QJsonArray::fromStringList(report.run.features.names)) : QJsonValue()},
        {"warnings", QJsonArray::fromStringList(report.corpus.warnings)},
        {"passed", t.passed},
        {"failed", t.failed},
        {"notRun", t.notRun},
        {"regressions", QJsonArray::fromStringList(report.regressions)},
        {"missingBaselineCases", QJsonArray::fromStringList(report.missingBaselineCases)},
        {"cases", cases},
    };
}

}  // namespace conformance
