#include "platform/clock.h"

#include <langinfo.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <string>

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

namespace {

// The file the C library reads for a TZ value: ":" dropped, a relative name under TZDIR,
// the system's default when TZ is unset or names nothing.
std::string time_zone_file(const char* tz) {
    if (tz == nullptr) return "/etc/localtime";
    std::string name = *tz == ':' ? tz + 1 : tz;
    if (name.empty()) return *tz == ':' ? "/etc/localtime" : "/usr/share/zoneinfo/Universal";
    if (name.front() == '/') return name;
    const char* dir = std::getenv("TZDIR");
    return std::string(dir != nullptr && *dir != '\0' ? dir : "/usr/share/zoneinfo") + "/" + name;
}

}  // namespace

// The C library would block for good opening a FIFO, or reading a terminal; such a zone
// means UTC, which is what it makes of a file it cannot read.
void load_time_zone() {
    struct stat info {};
    std::string file = time_zone_file(std::getenv("TZ"));
    if (stat(file.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) setenv("TZ", "UTC0", 1);
    tzset();
}

LocalTime local_time_of(std::int64_t epoch_ms) {
    auto seconds = static_cast<std::time_t>(epoch_ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return {parts.tm_hour, parts.tm_min, parts.tm_sec};
}

}  // namespace osyl
