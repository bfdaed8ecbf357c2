#include "app/startup_failure.h"

#include "platform/backend.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "platform/process.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <typeinfo>

namespace osyl {

namespace {

std::string type_name_of(const std::exception& error) {
    if (const auto* app_error = dynamic_cast<const AppError*>(&error))
        return app_error->type_name();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
    return typeid(error).name();
}

std::string without_cr(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r') out += c;
    return out;
}

void wait_for_dismissal(Backend& backend, BoxId box) {
    while (auto event = backend.next_event(std::nullopt)) {
        if (const auto* dismissed = std::get_if<BoxDismissed>(&*event);
            dismissed && dismissed->box == box)
            return;
        if (std::holds_alternative<QuitRequest>(*event)) return;
    }
}

}  // namespace

std::string startup_failure_text(const std::exception& error, const std::string& executable_path,
                                 const void* code_position) {
    std::string file = executable_path.substr(file_name_start(executable_path));
    char offset[32];
    std::snprintf(offset, sizeof offset, "%08lX",
                  static_cast<unsigned long>(image_offset(code_position) & 0xFFFFFFFFU));
    return "Exception " + type_name_of(error) + " in module " + file + " at " + offset + ".\r\n" +
           report_text(message_of(error)) + "\r\n";
}

int report_startup_failure(Backend* backend, const std::exception& error,
                           const std::string& executable_path,
                           void (*show_without_backend)(const std::string& text)) {
    std::string text = startup_failure_text(error, executable_path,
                                            reinterpret_cast<const void*>(&report_startup_failure));
    std::fputs(without_cr(text).c_str(), stderr);
    if (backend) {
        ScopedBox box(*backend, {"Application Error", text, 0});
        wait_for_dismissal(*backend, box.id());
    } else if (show_without_backend) {
        show_without_backend(text);
    }
    return 1;
}

}  // namespace osyl
