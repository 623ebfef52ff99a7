#include "tools/conformance/core/conformance_run.h"

#include "tools/conformance/core/case_evaluation.h"
#include "tools/conformance/core/process_pool.h"

#include <QRegularExpression>
#include <QTemporaryDir>

namespace conformance {

SwfcliFeatures probeFeatures(const QString& swfcli, int timeoutSeconds)
{
    SwfcliFeatures features;
    runProcesses({ProcessJob{swfcli, {QStringLiteral("features")}, timeoutSeconds * 1000, 1 << 16, 0}}, 1,
                 [&](size_t, ProcessOutcome&& outcome) {
                     if (outcome.succeeded())
                         features = parseFeatureList(QString::fromUtf8(outcome.standardOutput));
                 });
    return features;
}

std::vector<const CorpusCase*> selectCases(const Corpus& corpus, const QString& filter)
{
    std::vector<const CorpusCase*> selected;
    const QRegularExpression re(filter);
    for (const CorpusCase& c : corpus.cases)
        if (filter.isEmpty() || (re.isValid() && re.match(c.id).hasMatch()))
            selected.push_back(&c);
    return selected;
}

CorpusRun runCorpus(const Corpus& corpus, const RunOptions& options)
{
    CorpusRun run;
    run.features = options.features ? *options.features : probeFeatures(options.swfcli, options.timeoutSeconds);

    const std::vector<const CorpusCase*> cases = selectCases(corpus, options.filter);
    QTemporaryDir workDir;
    std::vector<CasePlan> plans;
    plans.reserve(cases.size());
    run.results.resize(cases.size());

    // Every invocation of every case becomes one job; a case is judged when its last job ends.
    struct JobOwner {
        size_t caseIndex;
        size_t invocation;
    };
    std::vector<ProcessJob> jobs;
    std::vector<JobOwner> owners;
    for (size_t i = 0; i < cases.size(); ++i) {
        plans.push_back(planCase(*cases[i], run.features, workDir.path(), QStringLiteral("case%1").arg(i)));
        if (!workDir.isValid())
            plans.back().notRunReason = QStringLiteral("no temporary folder for the outputs");
        const CasePlan& plan = plans.back();
        if (!plan.notRunReason.isEmpty()) {
            run.results[i] = notRunResult(*cases[i], plan.notRunReason);
            continue;
        }
        for (size_t k = 0; k < plan.invocations.size(); ++k) {
            jobs.push_back(ProcessJob{options.swfcli, plan.invocations[k].arguments, options.timeoutSeconds * 1000,
                                      ProcessJob{}.outputLimitBytes, options.memoryLimitBytes});
            owners.push_back(JobOwner{i, k});
        }
    }

    std::vector<std::vector<ProcessOutcome>> outcomes(cases.size());
    std::vector<size_t> pending(cases.size(), 0);
    for (const JobOwner& owner : owners)
        ++pending[owner.caseIndex];
    for (size_t i = 0; i < cases.size(); ++i)
        outcomes[i].resize(plans[i].invocations.size());

    runProcesses(jobs, options.jobs, [&](size_t job, ProcessOutcome&& outcome) {
        const JobOwner owner = owners[job];
        outcomes[owner.caseIndex][owner.invocation] = std::move(outcome);
        if (--pending[owner.caseIndex] == 0) {
            run.results[owner.caseIndex] = evaluateCase(*cases[owner.caseIndex], plans[owner.caseIndex], outcomes[owner.caseIndex]);
            outcomes[owner.caseIndex].clear();  // logs can be large; keep only the verdict
        }
    });
    return run;
}

}  // namespace conformance
