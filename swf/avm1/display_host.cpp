#include "swf/avm1/display_host.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace swf::avm1 {

double DisplayHost::wallClockMs()
{
    using namespace std::chrono;
    return static_cast<double>(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

double DisplayHost::localTimeZoneOffsetMinutes(double utcMs)
{
    if (!std::isfinite(utcMs)) return 0;
    auto seconds = static_cast<std::time_t>(std::floor(utcMs / 1000.0));
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return 0;
    return static_cast<double>(local.tm_gmtoff) / 60.0;
}

}  // namespace swf::avm1
