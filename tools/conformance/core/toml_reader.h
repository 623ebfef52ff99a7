// A reader for the part of TOML that test.toml files use: tables, arrays of tables, dotted and
// quoted keys, strings, integers, floats, booleans, arrays and inline tables. Dates and multi-line
// strings are refused with an error rather than misread.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace conformance {

struct TomlError {
    int line = 0;
    QString message;
};

// The document as JSON values (integers stay integers). On failure returns nothing and fills
// `error` with the line and what was wrong.
std::optional<QJsonObject> parseToml(const QByteArray& text, TomlError* error);

}  // namespace conformance
