// Date: time values in milliseconds since 1970 UTC with the calendar arithmetic of
// ECMA-262; local time uses the host's time zone offset.

#include <cmath>
#include <cstdio>

#include "swf/avm1/builtins.h"
#include "swf/avm1/vm_internals.h"

namespace swf::avm1 {

namespace {

constexpr double kMsPerDay = 86400000.0;

double dayOf(double t) { return std::floor(t / kMsPerDay); }
double timeWithinDay(double t)
{
    double r = std::fmod(t, kMsPerDay);
    return r < 0 ? r + kMsPerDay : r;
}
double daysInYear(double y)
{
    if (std::fmod(y, 4) != 0) return 365;
    if (std::fmod(y, 100) != 0) return 366;
    if (std::fmod(y, 400) != 0) return 365;
    return 366;
}
double dayFromYear(double y)
{
    return 365 * (y - 1970) + std::floor((y - 1969) / 4) - std::floor((y - 1901) / 100) + std::floor((y - 1601) / 400);
}
double timeFromYear(double y) { return kMsPerDay * dayFromYear(y); }
double yearFromTime(double t)
{
    if (!std::isfinite(t) || std::fabs(t) > 1e22) return std::nan("");
    double y = std::floor(t / (kMsPerDay * 365.2425)) + 1970;
    for (int i = 0; i < 4 && timeFromYear(y) > t; ++i) --y;
    for (int i = 0; i < 4 && timeFromYear(y + 1) <= t; ++i) ++y;
    return y;
}
bool inLeapYear(double t) { return daysInYear(yearFromTime(t)) == 366; }
double dayWithinYear(double t) { return dayOf(t) - dayFromYear(yearFromTime(t)); }

constexpr int kMonthStart[2][13] = {{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365},
                                    {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366}};

int monthFromTime(double t)
{
    double d = dayWithinYear(t);
    if (std::isnan(d)) return 0;
    int leap = inLeapYear(t) ? 1 : 0;
    for (int m = 0; m < 12; ++m) {
        if (d < kMonthStart[leap][m + 1]) return m;
    }
    return 11;
}
double dateFromTime(double t)
{
    int leap = inLeapYear(t) ? 1 : 0;
    return dayWithinYear(t) - kMonthStart[leap][monthFromTime(t)] + 1;
}
double weekDay(double t)
{
    double r = std::fmod(dayOf(t) + 4, 7);
    return r < 0 ? r + 7 : r;
}

double makeDay(double year, double month, double date)
{
    if (!std::isfinite(year) || !std::isfinite(month) || !std::isfinite(date)) return std::nan("");
    year = std::trunc(year);
    month = std::trunc(month);
    date = std::trunc(date);
    double y = year + std::floor(month / 12);
    double m = std::fmod(month, 12);
    if (m < 0) m += 12;
    if (std::fabs(y) > 1e11) return std::nan("");
    double t = timeFromYear(y);
    int leap = daysInYear(y) == 366 ? 1 : 0;
    return dayOf(t) + kMonthStart[leap][static_cast<int>(m)] + date - 1;
}
double makeTime(double h, double m, double s, double ms)
{
    if (!std::isfinite(h) || !std::isfinite(m) || !std::isfinite(s) || !std::isfinite(ms)) return std::nan("");
    return std::trunc(h) * 3600000.0 + std::trunc(m) * 60000.0 + std::trunc(s) * 1000.0 + std::trunc(ms);
}
double makeDate(double day, double time)
{
    if (!std::isfinite(day) || !std::isfinite(time)) return std::nan("");
    return day * kMsPerDay + time;
}

double offsetMs(Vm& vm, double utc) { return vm.host().localTimeZoneOffsetMinutes(utc) * 60000.0; }
double toLocal(Vm& vm, double utc) { return utc + offsetMs(vm, utc); }
double toUtc(Vm& vm, double local)
{
    double guess = local - offsetMs(vm, local);
    return local - offsetMs(vm, guess);
}

// Field numbers used by the getters and setters.
enum Field { Year, Month, Date, Hours, Minutes, Seconds, Millis, WeekDay, ShortYear };

struct Fields {
    double v[7];
};

Fields split(double t)
{
    double inDay = timeWithinDay(t);
    return {{yearFromTime(t), static_cast<double>(monthFromTime(t)), dateFromTime(t), std::floor(inDay / 3600000.0),
             std::fmod(std::floor(inDay / 60000.0), 60), std::fmod(std::floor(inDay / 1000.0), 60),
             std::fmod(std::floor(inDay), 1000)}};
}

double join(const Fields& f)
{
    return makeDate(makeDay(f.v[Year], f.v[Month], f.v[Date]), makeTime(f.v[Hours], f.v[Minutes], f.v[Seconds], f.v[Millis]));
}

DateObject* thisDate(const CallInfo& c) { return dynamic_cast<DateObject*>(c.thisObj); }

Object* allocateDate(Vm& vm, Object* proto) { return vm.heap().make<DateObject>(proto, 0.0); }

// The time a constructor or Date.UTC builds from (year, month[, date, h, m, s, ms]).
double fromComponents(Vm& vm, const CallInfo& c)
{
    double f[7] = {0, 0, 1, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 7 && i < c.count(); ++i) f[i] = argNumber(vm, c, i);
    // Components that are not finite numbers count as 0 (a year then is year 0 itself).
    if (!std::isfinite(f[0])) {
        f[0] = 0;
    } else {
        // Years below 100 (negative ones too) count from 1900.
        double y = std::floor(f[0]);
        f[0] = y < 100 ? 1900 + y : y;
    }
    for (std::size_t i = 1; i < 7; ++i) {
        if (!std::isfinite(f[i])) {
            // The player then starts over from year 0 with this component as 0.
            f[i] = 0;
            f[0] = 0;
        }
    }
    return makeDate(makeDay(f[0], f[1], f[2]), makeTime(f[3], f[4], f[5], f[6]));
}

std::string formatDate(Vm& vm, double t)
{
    if (std::isnan(t)) return "Invalid Date";
    static const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    double off = vm.host().localTimeZoneOffsetMinutes(t);
    double local = t + off * 60000.0;
    Fields f = split(local);
    if (std::isnan(f.v[Year])) return "Invalid Date";
    int offMin = static_cast<int>(std::lround(off));
    char sign = offMin < 0 ? '-' : '+';
    offMin = std::abs(offMin);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %s %d %02d:%02d:%02d GMT%c%02d%02d %.0f", kDays[static_cast<int>(weekDay(local))],
                  kMonths[static_cast<int>(f.v[Month])], static_cast<int>(f.v[Date]), static_cast<int>(f.v[Hours]),
                  static_cast<int>(f.v[Minutes]), static_cast<int>(f.v[Seconds]), sign, offMin / 60, offMin % 60,
                  f.v[Year]);
    return buf;
}

Value dateConstructor(Vm& vm, const CallInfo& c)
{
    double t;
    if (c.count() == 0) {
        t = vm.host().wallClockMs();
    } else if (c.count() == 1) {
        if (auto* d = dynamic_cast<DateObject*>(c.arg(0).asObject())) {
            t = d->time;
        } else {
            t = argNumber(vm, c, 0);
        }
    } else {
        t = toUtc(vm, fromComponents(vm, c));
    }
    if (!c.isConstruct) return Value(String::fromUtf8(formatDate(vm, vm.host().wallClockMs())));
    if (auto* d = thisDate(c)) d->time = t;
    return Value(c.thisObj);
}

Value dateUtc(Vm& vm, const CallInfo& c)
{
    if (c.count() == 0 || c.arg(0).isUndefined()) return Value();
    for (std::size_t i = 1; i < c.count() && i < 7; ++i) {
        if (c.arg(i).isUndefined()) return Value();
    }
    if (c.count() < 2) {
        argNumber(vm, c, 0);  // the year is still converted: a year alone is not enough
        return Value();
    }
    return Value(fromComponents(vm, c));
}

Value dateGetTime(Vm&, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    return d ? Value(d->time) : Value();
}

Value dateSetTime(Vm& vm, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    if (!d) return Value();
    double t = argNumber(vm, c, 0);
    d->time = std::isfinite(t) ? t : std::nan("");
    return Value(d->time);
}

Value dateToString(Vm& vm, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    if (!d) return Value();
    return Value(String::fromUtf8(formatDate(vm, d->time)));
}

Value dateTimezoneOffset(Vm& vm, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    if (!d) return Value();
    return Value(-vm.host().localTimeZoneOffsetMinutes(d->time));
}

template <Field F, bool Utc>
Value dateGet(Vm& vm, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    if (!d) return Value();
    if (std::isnan(d->time)) return Value(std::nan(""));
    double t = Utc ? d->time : toLocal(vm, d->time);
    if constexpr (F == WeekDay) return Value(weekDay(t));
    if constexpr (F == ShortYear) return Value(yearFromTime(t) - 1900);
    if constexpr (F != WeekDay && F != ShortYear) return Value(split(t).v[F]);
}

// setX(values...): replaces fields First.. with the arguments given (at most Count).
template <Field First, int Count, bool Utc>
Value dateSet(Vm& vm, const CallInfo& c)
{
    DateObject* d = thisDate(c);
    if (!d) return Value();
    double t = d->time;
    if (std::isnan(t)) {
        if (First != Year && First != ShortYear) return Value(t);
        t = 0;
    }
    double local = Utc ? t : toLocal(vm, t);
    Fields f = split(local);
    constexpr int first = First == ShortYear ? 0 : static_cast<int>(First);
    for (int i = 0; i < Count && static_cast<std::size_t>(i) < c.count(); ++i) {
        double v = argNumber(vm, c, static_cast<std::size_t>(i));
        if (First == ShortYear && i == 0 && std::isfinite(v) && std::trunc(v) >= 0 && std::trunc(v) <= 99) {
            v = 1900 + std::trunc(v);
        }
        f.v[first + i] = v;
    }
    if (c.count() == 0) {
        d->time = std::nan("");
        return Value(d->time);
    }
    double result = join(f);
    d->time = Utc ? result : toUtc(vm, result);
    if (!std::isfinite(d->time)) d->time = std::nan("");
    return Value(d->time);
}

}  // namespace

void installDate(Vm& vm, Object* global)
{
    auto& b = vm.builtins();
    b.dateProto = vm.heap().make<Object>(b.objectProto);
    Object* p = b.dateProto;
    FunctionObject* ctor = vm.newConstructor(dateConstructor, p, allocateDate);
    global->define("Date", Value(ctor));
    vm.defineMethod(ctor, "UTC", dateUtc);
    struct {
        const char* name;
        NativeFunction fn;
    } methods[] = {
        {"getTime", dateGetTime},
        {"valueOf", dateGetTime},
        {"setTime", dateSetTime},
        {"toString", dateToString},
        {"getTimezoneOffset", dateTimezoneOffset},
        {"getFullYear", dateGet<Year, false>},
        {"getYear", dateGet<ShortYear, false>},
        {"getMonth", dateGet<Month, false>},
        {"getDate", dateGet<Date, false>},
        {"getDay", dateGet<WeekDay, false>},
        {"getHours", dateGet<Hours, false>},
        {"getMinutes", dateGet<Minutes, false>},
        {"getSeconds", dateGet<Seconds, false>},
        {"getMilliseconds", dateGet<Millis, false>},
        {"getUTCFullYear", dateGet<Year, true>},
        {"getUTCYear", dateGet<ShortYear, true>},
        {"getUTCMonth", dateGet<Month, true>},
        {"getUTCDate", dateGet<Date, true>},
        {"getUTCDay", dateGet<WeekDay, true>},
        {"getUTCHours", dateGet<Hours, true>},
        {"getUTCMinutes", dateGet<Minutes, true>},
        {"getUTCSeconds", dateGet<Seconds, true>},
        {"getUTCMilliseconds", dateGet<Millis, true>},
        {"setFullYear", dateSet<Year, 3, false>},
        {"setYear", dateSet<ShortYear, 3, false>},
        {"setMonth", dateSet<Month, 2, false>},
        {"setDate", dateSet<Date, 1, false>},
        {"setHours", dateSet<Hours, 4, false>},
        {"setMinutes", dateSet<Minutes, 3, false>},
        {"setSeconds", dateSet<Seconds, 2, false>},
        {"setMilliseconds", dateSet<Millis, 1, false>},
        {"setUTCFullYear", dateSet<Year, 3, true>},
        {"setUTCMonth", dateSet<Month, 2, true>},
        {"setUTCDate", dateSet<Date, 1, true>},
        {"setUTCHours", dateSet<Hours, 4, true>},
        {"setUTCMinutes", dateSet<Minutes, 3, true>},
        {"setUTCSeconds", dateSet<Seconds, 2, true>},
        {"setUTCMilliseconds", dateSet<Millis, 1, true>},
    };
    for (auto& m : methods) vm.defineMethod(p, m.name, m.fn);
}

}  // namespace swf::avm1
