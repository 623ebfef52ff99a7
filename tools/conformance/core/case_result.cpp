#include "tools/conformance/core/case_result.h"

namespace conformance {

QString statusName(CaseStatus status)
{
    switch (status) {
    case CaseStatus::Passed: return QStringLiteral("passed");
    case CaseStatus::Failed: return QStringLiteral("failed");
    case CaseStatus::NotRun: break;
    }
    return QStringLiteral("not_run");
}

}  // namespace conformance
