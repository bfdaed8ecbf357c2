#pragma once

#include <string>
#include <string_view>

namespace osyl::x11 {

// WM_NAME has type STRING, which the ICCCM defines as Latin-1: a character outside it, or a
// byte that is not UTF-8, becomes "?".
std::string latin1_name(std::string_view utf8);

// _NET_WM_NAME must be valid UTF-8: every byte that does not belong to a well-formed
// character becomes U+FFFD.
std::string valid_utf8(std::string_view text);

}  // namespace osyl::x11
