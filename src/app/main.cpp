#include "app/application.h"
#include "app/startup_failure.h"
#include "platform/native_backend.h"
#include "platform/process.h"

#include <clocale>
#include <exception>
#include <memory>

#if defined(__GLIBCXX__)
#include <cstdio>
#include <cstdlib>

// The C++ runtime's own handler for an exception that escapes names its type through the
// demangler: 40 KiB of code that a bar resident all day would carry for a case that never
// comes (main and the event loop catch everything). Defining it here keeps it out.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::fputs("osyl: terminated\n", stderr);
    std::abort();
}
}  // namespace __gnu_cxx
#endif

int main(int /*argc*/, char** argv) {
    osyl::remember_start(argv[0]);
    // Only the time format follows the user's locale; messages stay as the program words them.
    std::setlocale(LC_TIME, "");
    std::unique_ptr<osyl::Backend> backend;
    std::unique_ptr<osyl::Application> app;
    try {
        backend = osyl::make_native_backend();
        app = std::make_unique<osyl::Application>(*backend);
    } catch (const std::exception& error) {
        std::string path = osyl::current_executable_path();
        return osyl::report_startup_failure(backend.get(), error, path.empty() ? argv[0] : path,
                                            osyl::show_startup_box_without_backend);
    }
    return app->run();
}
