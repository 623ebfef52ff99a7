#include "tools/conformance/core/toml_reader.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QStringList>

#include <cmath>
#include <limits>

namespace conformance {
namespace {

// Nested arrays and inline tables deeper than this are refused: no real test.toml comes close.
constexpr int kMaxNesting = 32;

struct ParseFailure {
    QString message;
};

class TomlParser {
public:
    explicit TomlParser(const QByteArray& text) : text_(QString::fromUtf8(text)) {}

    QJsonObject parse()
    {
        QStringList currentTable;
        while (true) {
            skipWhitespaceAndNewlines();
            if (atEnd())
                break;
            if (peek() == u'[') {
                const bool arrayOfTables = peekAt(1) == u'[';
                pos_ += arrayOfTables ? 2 : 1;
                skipSpaces();
                currentTable = parseKey();
                skipSpaces();
                expect(u']');
                if (arrayOfTables) {
                    expect(u']');
                    appendTableToArray(currentTable);
                } else {
                    declareTable(currentTable);
                }
                finishLine();
                continue;
            }
            const QStringList key = parseKey();
            skipSpaces();
            expect(u'=');
            skipSpaces();
            setPath(root_, currentTable + key, parseValue(0));
            finishLine();
        }
        return root_;
    }

    int line() const { return line_; }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    QChar peek() const { return atEnd() ? QChar() : text_[pos_]; }
    QChar peekAt(qsizetype offset) const
    {
        return pos_ + offset < text_.size() ? text_[pos_ + offset] : QChar();
    }
    [[noreturn]] void fail(const QString& message) const { throw ParseFailure{message}; }

    void expect(QChar c)
    {
        if (peek() != c)
            fail(QStringLiteral("expected '%1'").arg(c));
        ++pos_;
    }

    void skipSpaces()
    {
        while (!atEnd() && (peek() == u' ' || peek() == u'\t'))
            ++pos_;
    }

    void skipComment()
    {
        if (peek() == u'#')
            while (!atEnd() && peek() != u'\n')
                ++pos_;
    }

    void skipWhitespaceAndNewlines()
    {
        while (!atEnd()) {
            skipSpaces();
            skipComment();
            if (peek() == u'\r' && peekAt(1) == u'\n')
                ++pos_;
            if (peek() == u'\n') {
                ++pos_;
                ++line_;
                continue;
            }
            break;
        }
    }

    void finishLine()
    {
        skipSpaces();
        skipComment();
        if (peek() == u'\r')
            ++pos_;
        if (atEnd())
            return;
        if (peek() != u'\n')
            fail(QStringLiteral("unexpected text after the value"));
        ++pos_;
        ++line_;
    }

    QStringList parseKey()
    {
        QStringList parts;
        while (true) {
            skipSpaces();
            if (peek() == u'"' || peek() == u'\'') {
                parts << parseString();
            } else {
                const qsizetype start = pos_;
                while (!atEnd() && (peek().isLetterOrNumber() || peek() == u'_' || peek() == u'-'))
                    ++pos_;
                if (pos_ == start)
                    fail(QStringLiteral("expected a key"));
                parts << text_.mid(start, pos_ - start);
            }
            skipSpaces();
            if (parts.size() > kMaxNesting)
                fail(QStringLiteral("key nested too deeply"));
            if (peek() != u'.')
                return parts;
            ++pos_;
        }
    }

    QString parseString()
    {
        const QChar quote = peek();
        if (peekAt(1) == quote && peekAt(2) == quote)
            fail(QStringLiteral("multi-line strings are not supported"));
        ++pos_;
        QString out;
        while (true) {
            if (atEnd() || peek() == u'\n')
                fail(QStringLiteral("unterminated string"));
            const QChar c = text_[pos_++];
            if (c == quote)
                return out;
            if (c != u'\\' || quote == u'\'') {
                out += c;
                continue;
            }
            if (atEnd())
                fail(QStringLiteral("unterminated string"));
            const QChar e = text_[pos_++];
            switch (e.unicode()) {
            case 'b': out += u'\b'; break;
            case 't': out += u'\t'; break;
            case 'n': out += u'\n'; break;
            case 'f': out += u'\f'; break;
            case 'r': out += u'\r'; break;
            case '"': out += u'"'; break;
            case '\\': out += u'\\'; break;
            case 'u':
            case 'U': {
                const int digits = e == u'u' ? 4 : 8;
                if (pos_ + digits > text_.size())
                    fail(QStringLiteral("short unicode escape"));
                bool ok = false;
                const uint code = text_.mid(pos_, digits).toUInt(&ok, 16);
                if (!ok || code > 0x10FFFF)
                    fail(QStringLiteral("bad unicode escape"));
                pos_ += digits;
                const char32_t ch = code;
                out += QString::fromUcs4(&ch, 1);
                break;
            }
            default:
                fail(QStringLiteral("unknown escape \\%1").arg(e));
            }
        }
    }

    QJsonValue parseValue(int depth)
    {
        if (depth > kMaxNesting)
            fail(QStringLiteral("values nested too deeply"));
        const QChar c = peek();
        if (c == u'"' || c == u'\'')
            return parseString();
        if (c == u'[')
            return parseArray(depth);
        if (c == u'{')
            return parseInlineTable(depth);
        return parseScalar();
    }

    QJsonValue parseArray(int depth)
    {
        ++pos_;
        QJsonArray array;
        while (true) {
            skipWhitespaceAndNewlines();
            if (peek() == u']') {
                ++pos_;
                return array;
            }
            array.append(parseValue(depth + 1));
            skipWhitespaceAndNewlines();
            if (peek() == u',') {
                ++pos_;
                continue;
            }
            expect(u']');
            return array;
        }
    }

    QJsonValue parseInlineTable(int depth)
    {
        ++pos_;
        QJsonObject table;
        skipSpaces();
        if (peek() == u'}') {
            ++pos_;
            return table;
        }
        while (true) {
            const QStringList key = parseKey();
            skipSpaces();
            expect(u'=');
            skipSpaces();
            setPath(table, key, parseValue(depth + 1));
            skipSpaces();
            if (peek() == u',') {
                ++pos_;
                skipSpaces();
                continue;
            }
            expect(u'}');
            return table;
        }
    }

    QJsonValue parseScalar()
    {
        const qsizetype start = pos_;
        while (!atEnd()) {
            const QChar c = peek();
            if (c == u',' || c == u']' || c == u'}' || c == u'#' || c == u' ' || c == u'\t' ||
                c == u'\r' || c == u'\n')
                break;
            ++pos_;
        }
        const QString token = text_.mid(start, pos_ - start);
        if (token.isEmpty())
            fail(QStringLiteral("expected a value"));
        if (token == u"true")
            return true;
        if (token == u"false")
            return false;
        QString digits = token;
        digits.remove(u'_');
        const QString unsignedPart = digits.startsWith(u'+') || digits.startsWith(u'-') ? digits.mid(1) : digits;
        const double sign = digits.startsWith(u'-') ? -1.0 : 1.0;
        if (unsignedPart == u"inf")
            return sign * std::numeric_limits<double>::infinity();
        if (unsignedPart == u"nan")
            return std::numeric_limits<double>::quiet_NaN();
        bool ok = false;
        if (unsignedPart.startsWith(u"0x") || unsignedPart.startsWith(u"0o") || unsignedPart.startsWith(u"0b")) {
            const int base = unsignedPart[1] == u'x' ? 16 : unsignedPart[1] == u'o' ? 8 : 2;
            const qlonglong v = unsignedPart.mid(2).toLongLong(&ok, base);
            if (ok)
                return QJsonValue(v);
        } else if (!digits.contains(u'.') && !digits.contains(u'e') && !digits.contains(u'E')) {
            const qlonglong v = digits.toLongLong(&ok, 10);
            if (ok)
                return QJsonValue(v);
        } else {
            const double v = digits.toDouble(&ok);
            if (ok && std::isfinite(v))
                return v;
        }
        fail(QStringLiteral("cannot read value '%1'").arg(token));
    }

    // Walks `path` below `object`, creating tables on the way (a key naming an array of tables
    // continues in its last element), and hands the last key's parent table to `atLast`.
    template <typename AtLast>
    void walk(QJsonObject& object, const QStringList& path, qsizetype index, AtLast&& atLast)
    {
        const QString& key = path[index];
        if (index + 1 == path.size()) {
            atLast(object, key);
            return;
        }
        QJsonValue child = object.value(key);
        if (child.isUndefined())
            child = QJsonObject();
        if (child.isArray()) {
            QJsonArray array = child.toArray();
            if (array.isEmpty() || !array.last().isObject())
                fail(QStringLiteral("'%1' is not a table").arg(key));
            QJsonObject last = array.last().toObject();
            walk(last, path, index + 1, atLast);
            array[array.size() - 1] = last;
            object.insert(key, array);
            return;
        }
        if (!child.isObject())
            fail(QStringLiteral("'%1' is not a table").arg(key));
        QJsonObject table = child.toObject();
        walk(table, path, index + 1, atLast);
        object.insert(key, table);
    }

    void setPath(QJsonObject& object, const QStringList& path, const QJsonValue& value)
    {
        walk(object, path, 0, [&](QJsonObject& parent, const QString& key) {
            if (parent.contains(key))
                fail(QStringLiteral("key '%1' defined twice").arg(path.join(u'.')));
            parent.insert(key, value);
        });
    }

    void declareTable(const QStringList& path)
    {
        walk(root_, path, 0, [&](QJsonObject& parent, const QString& key) {
            const QJsonValue existing = parent.value(key);
            if (existing.isUndefined())
                parent.insert(key, QJsonObject());
            else if (!existing.isObject())
                fail(QStringLiteral("'%1' is not a table").arg(path.join(u'.')));
        });
    }

    void appendTableToArray(const QStringList& path)
    {
        walk(root_, path, 0, [&](QJsonObject& parent, const QString& key) {
            QJsonValue existing = parent.value(key);
            if (existing.isUndefined())
                existing = QJsonArray();
            if (!existing.isArray())
                fail(QStringLiteral("'%1' is not an array of tables").arg(path.join(u'.')));
            QJsonArray array = existing.toArray();
            array.append(QJsonObject());
            parent.insert(key, array);
        });
    }

    QString text_;
    qsizetype pos_ = 0;
    int line_ = 1;
    QJsonObject root_;
};

}  // namespace

std::optional<QJsonObject> parseToml(const QByteArray& text, TomlError* error)
{
    TomlParser parser(text);
    try {
        return parser.parse();
    } catch (const ParseFailure& failure) {
        if (error)
            *error = TomlError{parser.line(), failure.message};
        return std::nullopt;
    }
}

}  // namespace conformance
