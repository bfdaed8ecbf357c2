#include "app/title.h"

#include "platform/paths.h"

#include <cctype>

namespace osyl {

std::string application_title(std::string_view executable_path) {
    // The whole path, however long: a cut one would name a folder.
    std::string_view name = executable_path.substr(file_name_start(executable_path));
    std::string title(name.substr(0, name.find('.')));
    for (std::size_t i = 1; i < title.size(); ++i)
        title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
    return title;
}

}  // namespace osyl
