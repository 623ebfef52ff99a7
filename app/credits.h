#pragma once
// The author's credit, shown on lblRight. The mail address is also where the credit label's
// mail link goes, so it lives here once.

#include <QString>

namespace credits {

inline QString authorName() { return QStringLiteral("陈宇"); }
inline QString authorMail() { return QStringLiteral("chenyu@vantoro.example.com"); }
inline QString year() { return QStringLiteral("2002"); }

// One line: the author's name, a rights notice, the mail address in parentheses, the year.
inline QString creditLine()
{
    return authorName() + QStringLiteral(" 版权所有 (") + authorMail() + QStringLiteral(") ") + year();
}

}  // namespace credits
