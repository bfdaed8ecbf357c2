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

}  // namespace

// The switches come from the time picture, which follows an edited format, rather than from
// the older ITIME, ITLZERO and ITIMEMARKPOSN values, which on some systems do not.
LocaleValues read_locale_values() {
    LocaleValues values;
    if (auto picture = locale_info(LOCALE_STIMEFORMAT))
        locale_values_from_picture(*picture, values);
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
