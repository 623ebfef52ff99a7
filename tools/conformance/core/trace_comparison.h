// Comparing a movie's trace() log with a reference log.
#pragma once

#include "tools/conformance/core/corpus_case.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace conformance {

// The log as lines: CR LF becomes LF (a lone CR is text a movie traced and stays), and newlines
// at the very end are dropped, since reference logs differ in whether the last line ends in one.
QList<QByteArray> traceLines(const QByteArray& log);

struct TraceVerdict {
    bool matches = false;
    int firstDifferentLine = 0;            // 1-based; 0 when the logs match
    QByteArray expectedLine;               // that line in each log (empty past the end)
    QByteArray actualLine;
    qsizetype expectedLineCount = 0;
    qsizetype actualLineCount = 0;
};

// Lines must be equal, except that with approximations the numbers in them may differ by up to
// epsilon (whole-line numbers with bareNumbers, the capture groups of numberPatterns).
TraceVerdict compareTrace(const QByteArray& expected, const QByteArray& actual,
                          const std::optional<Approximations>& approximations = std::nullopt);

// True when two lines are equal up to the numbers that `approximations` lets differ.
bool linesMatchApproximately(const QByteArray& expected, const QByteArray& actual,
                             const Approximations& approximations);

}  // namespace conformance
