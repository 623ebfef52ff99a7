#pragma once
// A stand-in for the player's automation interface that records every call, in order, and then
// hands it on to the real control (when given one). A test can look at the window at the moment
// of each call, and make chosen calls fail as a broken player would.

#include <functional>
#include <set>
#include <vector>

#include "app/handler_failure.h"
#include "player/flash_dispatch.h"

struct DispatchCall {
    bool put;  // a property put, or else a method call
    int dispid;
    QVariantList arguments;

    bool operator==(const DispatchCall&) const = default;
};

inline DispatchCall put(int dispid, const QVariant& value) { return {true, dispid, {value}}; }
inline DispatchCall call(int dispid) { return {false, dispid, {}}; }

inline void PrintTo(const DispatchCall& c, std::ostream* out)
{
    *out << (c.put ? "put " : "invoke ") << c.dispid;
    for (const QVariant& a : c.arguments)
        *out << " " << a.typeName() << ":" << a.toString().toStdString();
}

class RecordingDispatch : public FlashDispatch {
public:
    explicit RecordingDispatch(FlashDispatch* forwardTo = nullptr) : forwardTo_(forwardTo) {}

    void putProperty(int dispid, const QVariant& value) override
    {
        record(put(dispid, value));
        if (forwardTo_)
            forwardTo_->putProperty(dispid, value);
    }
    void invoke(int dispid, const QVariantList& arguments) override
    {
        record({false, dispid, arguments});
        if (forwardTo_)
            forwardTo_->invoke(dispid, arguments);
    }

    std::vector<DispatchCall> calls;
    std::set<int> failing;  // dispatch ids whose calls fail, after being recorded
    std::function<void(const DispatchCall&)> onCall;  // runs as each call arrives

private:
    void record(const DispatchCall& c)
    {
        calls.push_back(c);
        if (onCall)
            onCall(c);
        if (failing.contains(c.dispid))
            throw ViewerError(QStringLiteral("player call %1 failed").arg(c.dispid));
    }

    FlashDispatch* forwardTo_;
};
