#include "app/application.h"
#include "app/startup_failure.h"
#include "platform/native_backend.h"
#include "platform/process.h"

#include <clocale>
#include <exception>
#include <memory>

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
