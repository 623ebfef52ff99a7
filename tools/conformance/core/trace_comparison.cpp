#include "tools/conformance/core/trace_comparison.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace conformance {
namespace {

// Numbers as the player prints them, including its spellings of NaN and the infinities.
std::optional<double> parseNumber(QByteArray text)
{
    text = text.trimmed();
    if (text == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    if (text.isEmpty())
        return std::nullopt;
    // toDouble also takes "nan"/"inf" spellings the player never prints; only digits, signs,
    // the point and exponents count as a number here.
    for (const char c : text)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' ||
              c == 'E'))
            return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// Absolute difference: the corpus's epsilons are given in the unit of the printed values
// (0.051 for pixel coordinates, 1e-14 for results near one).
bool numbersClose(double a, double b, double epsilon)
{
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    if (std::isinf(a) || std::isinf(b))
        return a == b;
    return std::fabs(a - b) <= epsilon;
}

// A line with the numbers the patterns capture cut out, and those numbers in order.
struct LineNumbers {
    QString skeleton;
    std::vector<std::optional<double>> numbers;
};

LineNumbers splitNumbers(const QString& line, const QStringList& patterns)
{
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    for (const QString& pattern : patterns) {
        const QRegularExpression re(pattern);
        if (!re.isValid())
            continue;
        auto it = re.globalMatch(line);
        while (it.hasNext()) {
            const QRegularExpressionMatch match = it.next();
            for (int group = 1; group <= re.captureCount(); ++group)
                if (match.capturedStart(group) >= 0)
                    spans.emplace_back(match.capturedStart(group), match.capturedEnd(group));
        }
    }
    std::sort(spans.begin(), spans.end());
    LineNumbers out;
    qsizetype cursor = 0;
    for (const auto& [start, end] : spans) {
        if (start < cursor)
            continue;  // overlapping captures of two patterns: the first one wins
        out.skeleton += line.mid(cursor, start - cursor);
        out.skeleton += QChar(0xFFFC);
        out.numbers.push_back(parseNumber(line.mid(start, end - start).toUtf8()));
        cursor = end;
    }
    out.skeleton += line.mid(cursor);
    return out;
}

}  // namespace

QList<QByteArray> traceLines(const QByteArray& log)
{
    QByteArray text = log;
    text.replace("\r\n", "\n");
    while (text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty())
        return {};
    return text.split('\n');
}

bool linesMatchApproximately(const QByteArray& expected, const QByteArray& actual,
                             const Approximations& approximations)
{
    if (expected == actual)
        return true;
    if (approximations.bareNumbers) {
        const auto a = parseNumber(expected);
        const auto b = parseNumber(actual);
        if (a && b)
            return numbersClose(*a, *b, approximations.epsilon);
    }
    if (approximations.numberPatterns.isEmpty())
        return false;
    const LineNumbers a = splitNumbers(QString::fromUtf8(expected), approximations.numberPatterns);
    const LineNumbers b = splitNumbers(QString::fromUtf8(actual), approximations.numberPatterns);
    if (a.numbers.empty() || a.skeleton != b.skeleton || a.numbers.size() != b.numbers.size())
        return false;
    for (size_t i = 0; i < a.numbers.size(); ++i) {
        if (a.numbers[i].has_value() != b.numbers[i].has_value())
            return false;
        if (a.numbers[i] && !numbersClose(*a.numbers[i], *b.numbers[i], approximations.epsilon))
            return false;
    }
    return true;
}

TraceVerdict compareTrace(const QByteArray& expected, const QByteArray& actual,
                          const std::optional<Approximations>& approximations)
{
    const QList<QByteArray> want = traceLines(expected);
    const QList<QByteArray> got = traceLines(actual);
    TraceVerdict verdict;
    verdict.expectedLineCount = want.size();
    verdict.actualLineCount = got.size();
    const qsizetype common = std::min(want.size(), got.size());
    for (qsizetype i = 0; i < common; ++i) {
        const bool same = approximations ? linesMatchApproximately(want[i], got[i], *approximations)
                                         : want[i] == got[i];
        if (!same) {
            verdict.firstDifferentLine = static_cast<int>(i + 1);
            verdict.expectedLine = want[i];
            verdict.actualLine = got[i];
            return verdict;
        }
    }
    if (want.size() != got.size()) {
        verdict.firstDifferentLine = static_cast<int>(common + 1);
        verdict.expectedLine = common < want.size() ? want[common] : QByteArray();
        verdict.actualLine = common < got.size() ? got[common] : QByteArray();
        return verdict;
    }
    verdict.matches = true;
    return verdict;
}

}  // namespace conformance
