#include "tools/conformance/core/case_plan.h"

#include <QDir>
#include <QRegularExpression>

namespace conformance {
namespace {

QStringList runArguments(const CorpusCase& c)
{
    QStringList args{QStringLiteral("run"), c.movie,
                     c.run.mode == RunMode::Ticks ? QStringLiteral("--ticks") : QStringLiteral("--frames"),
                     QString::number(c.run.count)};
    if (!c.inputFile.isEmpty())
        args << QStringLiteral("--input") << c.inputFile;
    if (c.scriptTimeoutSeconds)
        args << QStringLiteral("--script-timeout") << QString::number(*c.scriptTimeoutSeconds);
    return args;
}

void addPicture(Invocation& run, const CorpusCase& c, int index, const QString& path)
{
    run.imageIndex = index;
    run.pngPath = path;
    run.arguments << QStringLiteral("--png") << path;
    if (const auto& at = c.images[static_cast<size_t>(index)].atIteration)
        run.arguments << QStringLiteral("--at") << QString::number(*at);
}

}  // namespace

SwfcliFeatures parseFeatureList(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s,]+"));
    SwfcliFeatures features;
    features.known = true;
    features.names = text.split(separators, Qt::SkipEmptyParts);
    return features;
}

CasePlan planCase(const CorpusCase& c, const SwfcliFeatures& features, const QString& workDir, const QString& filePrefix)
{
    CasePlan plan;
    if (!c.skipReason.isEmpty()) {
        plan.notRunReason = c.skipReason;
        return plan;
    }
    QStringList missing;
    for (const QString& need : c.needs)
        if (!features.supports(need) && !missing.contains(need))
            missing << need;
    if (!missing.isEmpty()) {
        plan.notRunReason = QStringLiteral("needs %1").arg(missing.join(QStringLiteral(", ")));
        return plan;
    }
    plan.checkTrace = c.trace.has_value();
    plan.checkImages = !c.images.empty() && features.supports(feature::render);
    plan.checkSound = c.sound.has_value();
    if (!plan.checkTrace && !plan.checkImages && !plan.checkSound) {
        plan.notRunReason = QStringLiteral("nothing to compare without a renderer");
        return plan;
    }

    const QDir dir(workDir);
    Invocation first;
    first.arguments = runArguments(c);
    if (plan.checkTrace) {
        first.capturesTrace = true;
        first.arguments << QStringLiteral("--trace");
    }
    if (plan.checkImages)
        addPicture(first, c, 0, dir.filePath(filePrefix + QStringLiteral("-0.png")));
    if (plan.checkSound) {
        first.wavPath = dir.filePath(filePrefix + QStringLiteral(".wav"));
        first.arguments << QStringLiteral("--wav") << first.wavPath;
    }
    plan.invocations.push_back(first);
    if (plan.checkImages) {
        for (int i = 1; i < static_cast<int>(c.images.size()); ++i) {
            Invocation more;
            more.arguments = runArguments(c);
            addPicture(more, c, i, dir.filePath(filePrefix + QStringLiteral("-%1.png").arg(i)));
            plan.invocations.push_back(more);
        }
    }
    return plan;
}

}  // namespace conformance
