#include "platform/clock.h"

#include <langinfo.h>

#include <ctime>

namespace osyl {

// From the C library's current LC_TIME.
LocaleValues read_locale_values() {
    LocaleValues values;
    locale_values_from_format(nl_langinfo(T_FMT), nl_langinfo(T_FMT_AMPM), values);
    std::string am = nl_langinfo(AM_STR);
    std::string pm = nl_langinfo(PM_STR);
    if (!am.empty()) values.am = am;
    if (!pm.empty()) values.pm = pm;
    return values;
}

LocalTime local_time_of(std::int64_t epoch_ms) {
    auto seconds = static_cast<std::time_t>(epoch_ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

}  // namespace osyl
