#include "platform/clock.h"
#include "platform/win32/text_win32.h"

#include <optional>

namespace osyl {

namespace {

std::optional<std::string> locale_info(LCTYPE type) {
    wchar_t buffer[128] = {};
    int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 128);
    if (length <= 1) return std::nullopt;  // the length counts the closing NUL
    return to_utf8(buffer, length - 1);
}

bool switch_on(LCTYPE type, bool unreadable) {
    std::optional<std::string> value = locale_info(type);
    return value ? *value == "1" : unreadable;
}

}  // namespace

// A switch that cannot be read counts as 0: no leading zero, the 12-hour clock (ITIME 0),
// the marker after the time (ITIMEMARKPOSN 0).
LocaleValues read_locale_values() {
    LocaleValues values;
    values.leading_zero = switch_on(LOCALE_ITLZERO, false);
    values.twelve_hour = !switch_on(LOCALE_ITIME, false);
    values.marker_first = switch_on(LOCALE_ITIMEMARKPOSN, false);
    if (auto separator = locale_info(LOCALE_STIME)) values.separator = separator->front();
    if (auto am = locale_info(LOCALE_S1159)) values.am = *am;
    if (auto pm = locale_info(LOCALE_S2359)) values.pm = *pm;
    return values;
}

LocalTime local_time_of(std::int64_t epoch_ms) {
    // FILETIME counts 100 ns from 1601-01-01.
    constexpr std::int64_t epoch_1601_ms = 11'644'473'600'000;
    ULARGE_INTEGER ticks{};
    ticks.QuadPart = static_cast<ULONGLONG>((epoch_ms + epoch_1601_ms) * 10'000);
    FILETIME utc{ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc_parts{}, local{};
    if (!FileTimeToSystemTime(&utc, &utc_parts) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc_parts, &local))
        return {};
    return {local.wHour, local.wMinute, local.wSecond};
}

}  // namespace osyl
