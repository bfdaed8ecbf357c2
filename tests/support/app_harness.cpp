#include "support/app_harness.h"

#include "art/bmp_writer.h"

#include <fstream>
#include <utility>

namespace osyl::test {

Rgb digit_colour(char digit) { return 0x100000 + static_cast<Rgb>(digit - '0') * 0x10; }
Rgb letter_colour(char letter) { return 0x200000 + static_cast<Rgb>(letter - 'a') * 0x10; }

void ReportingBackend::activate(WindowId window, std::uint32_t time) {
    m_focus_lost = false;
    HeadlessBackend::activate(window, time);
}

void ReportingBackend::close_message_box(BoxId box) {
    HeadlessBackend::close_message_box(box);
    m_focus_lost = true;
}

std::optional<Event> ReportingBackend::next_event(std::optional<std::int64_t> deadline_ms) {
    if (m_failing_waits > 0 && m_failing_waits--) std::rethrow_exception(m_wait_error);
    std::optional<Event> event = HeadlessBackend::next_event(deadline_ms);
    if (auto* key = event ? std::get_if<KeyInput>(&*event) : nullptr; key && m_focus_lost)
        key->window = 0;
    return event;
}

std::string ReportingBackend::focused_window() const {
    return m_focus_lost ? std::string() : HeadlessBackend::focused_window();
}

AppHarness::AppHarness() {
    std::filesystem::create_directory(skin_dir());
    std::filesystem::create_directory(work_dir());
    for (char d = '0'; d <= '9'; ++d)
        write_skin(std::string("c") + d + ".bmp", 12, 12, digit_colour(d));
    for (char l = 'a'; l <= 'z'; ++l)
        write_skin(std::string("b") + l + ".bmp", 12, 12, letter_colour(l));
    m_backend.set_executable_path((m_dir / "osyl").string());
    m_cwd = std::make_unique<ScopedCwd>(work_dir());
}

AppHarness::~AppHarness() { m_app.reset(); }

void AppHarness::write_skin(const std::string& file, int width, int height, Rgb colour) {
    std::vector<std::byte> bytes = encode_bmp24(Picture(width, height, colour));
    write_file(skin_dir() / file,
               std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void AppHarness::write_labels(const std::string& text) {
    write_file(work_dir() / "osyl.dat", text);
}

void AppHarness::start() {
    m_app = std::make_unique<Application>(m_backend);
    m_app->start();
    m_app->run_pending();
}

Rgb AppHarness::pixel(const std::string& window, int x, int y) const {
    const HeadlessBackend::WindowState& state = m_backend.window(window);
    return state.pixels.at(x - state.bounds.left, y - state.bounds.top);
}

}  // namespace osyl::test
