#pragma once

#include <string>
#include <string_view>

namespace osyl {

// The application title from the executable's path: its file name cut at the first ".",
// every character after the first in lower case ("/usr/bin/BAR.EXE" gives "Bar").
std::string application_title(std::string_view executable_path);

}  // namespace osyl
