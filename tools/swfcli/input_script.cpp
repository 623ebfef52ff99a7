#include "input_script.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cctype>
#include <stdexcept>
#include <unordered_map>

namespace swfcli {

int flashKeyCode(const std::string& name)
{
    static const std::unordered_map<std::string, int> named = {
        {"Backspace", 8}, {"Tab", 9},     {"Enter", 13},  {"Return", 13}, {"Shift", 16},   {"Control", 17},
        {"Alt", 18},      {"CapsLock", 20}, {"Escape", 27}, {"Space", 32}, {"PageUp", 33}, {"PageDown", 34},
        {"End", 35},      {"Home", 36},   {"Left", 37},   {"Up", 38},     {"Right", 39},   {"Down", 40},
        {"Insert", 45},   {"Delete", 46},
    };
    if (auto it = named.find(name); it != named.end()) return it->second;
    if (name.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(name[0]);
        if (std::isalpha(c)) return std::toupper(c);
        if (std::isdigit(c)) return c;
        if (c == ' ') return 32;
    }
    if (name.size() >= 2 && name[0] == 'F') {
        const int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 15) return 111 + n;
    }
    return 0;
}

std::vector<InputEvent> readInputScript(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read input events " + path);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (!doc.isArray())
        throw std::runtime_error("input events " + path + ": not a JSON array (" + error.errorString().toStdString() + ")");
    std::vector<InputEvent> events;
    for (const QJsonValue& value : doc.array()) {
        const QJsonObject o = value.toObject();
        const QString type = o.value(QStringLiteral("type")).toString();
        InputEvent e;
        const QJsonArray pos = o.value(QStringLiteral("pos")).toArray();
        e.x = pos.size() > 0 ? pos[0].toDouble() : 0;
        e.y = pos.size() > 1 ? pos[1].toDouble() : 0;
        e.button = o.value(QStringLiteral("btn")).toString() == u"Right" ? swf::MouseButton::Right : swf::MouseButton::Left;
        const std::string key = o.value(QStringLiteral("key")).toString().toStdString();
        if (type == u"MouseMove") {
            e.type = InputEvent::Type::MouseMove;
        } else if (type == u"MouseDown") {
            e.type = InputEvent::Type::MouseDown;
        } else if (type == u"MouseUp") {
            e.type = InputEvent::Type::MouseUp;
        } else if (type == u"KeyDown" || type == u"KeyUp") {
            e.type = type == u"KeyDown" ? InputEvent::Type::KeyDown : InputEvent::Type::KeyUp;
            e.keyCode = flashKeyCode(key);
            if (key.size() == 1) e.character = static_cast<char16_t>(static_cast<unsigned char>(key[0]));
        } else if (type == u"TextInput") {
            const QString text = o.value(QStringLiteral("codepoint")).toString();
            if (text.isEmpty()) continue;
            e.type = InputEvent::Type::Text;
            e.character = text.at(0).unicode();
        } else if (type == u"Wait") {
            e.type = InputEvent::Type::Wait;
        } else {
            continue;
        }
        events.push_back(e);
    }
    return events;
}

void InputPlayback::deliverIteration(swf::Player& player)
{
    while (next_ < events_.size()) {
        const InputEvent& e = events_[next_++];
        const QPointF at(e.x, e.y);
        switch (e.type) {
        case InputEvent::Type::Wait: return;
        case InputEvent::Type::MouseMove: player.mouseMove(at); break;
        case InputEvent::Type::MouseDown: player.mouseDown(at, e.button); break;
        case InputEvent::Type::MouseUp: player.mouseUp(at, e.button); break;
        case InputEvent::Type::KeyDown: player.keyDown(e.keyCode, e.character); break;
        case InputEvent::Type::KeyUp: player.keyUp(e.keyCode, e.character); break;
        case InputEvent::Type::Text:
            player.keyDown(0, e.character);
            player.keyUp(0, e.character);
            break;
        }
    }
}

}  // namespace swfcli
