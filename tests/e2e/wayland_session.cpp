#include "e2e/wayland_session.h"

#include "wlr-foreign-toplevel-management-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

#include <linux/input-event-codes.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

namespace osyl::test {

namespace {

const char* const sway_user = "osyl-wayland";

std::uint32_t now_ms() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The user sway runs as, made when the tests run as root. Tests running side by side may
// race to make it, so a failed useradd is tried again until the user exists.
std::optional<passwd> ordinary_user() {
    if (geteuid() != 0) return std::nullopt;
    std::string error;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (const passwd* user = getpwnam(sway_user)) return *user;
        RunResult made = run(
            {"useradd", "--system", "--no-create-home", "--shell", "/usr/sbin/nologin", sway_user});
        error = made.err;
        if (made.status != 0) std::this_thread::sleep_for(200ms);
    }
    throw std::runtime_error(std::string("cannot make the user ") + sway_user + ": " + error);
}

Picture parse_ppm(const std::string& bytes) {
    std::size_t at = 0;
    auto field = [&] {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        std::size_t start = at;
        while (at < bytes.size() && !std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        return bytes.substr(start, at - start);
    };
    if (field() != "P6") throw std::runtime_error("grim wrote no PPM");
    int width = std::stoi(field());
    int height = std::stoi(field());
    if (field() != "255") throw std::runtime_error("grim wrote a PPM of another depth");
    ++at;
    if (bytes.size() - at < static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3)
        throw std::runtime_error("grim's PPM is cut short");
    Picture picture(width, height);
    auto byte = [&](std::size_t i) {
        return static_cast<Rgb>(static_cast<unsigned char>(bytes[i]));
    };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, at += 3)
            picture.set(x, y, byte(at) << 16 | byte(at + 1) << 8 | byte(at + 2));
    }
    return picture;
}

}  // namespace

// The test's own Wayland client: a virtual pointer for clicks, and the task list.
class TestClient {
public:
    explicit TestClient(const Environment& environment) {
        std::string socket;
        for (const auto& [name, value] : environment)
            if (name == "XDG_RUNTIME_DIR") socket = value + "/wayland-1";
        m_display = wl_display_connect(socket.c_str());
        if (m_display == nullptr) throw std::runtime_error("cannot connect to " + socket);
        m_registry = wl_display_get_registry(m_display);
        static const wl_registry_listener listener{global,
                                                   [](void*, wl_registry*, std::uint32_t) {}};
        wl_registry_add_listener(m_registry, &listener, this);
        wl_display_roundtrip(m_display);
        wl_display_roundtrip(m_display);
        if (m_pointer == nullptr || m_toplevels == nullptr)
            throw std::runtime_error("sway offers no virtual pointer or foreign toplevels");
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;
    ~TestClient() {
        for (const auto& [handle, title] : m_titles)
            zwlr_foreign_toplevel_handle_v1_destroy(handle);
        if (m_pointer != nullptr) zwlr_virtual_pointer_v1_destroy(m_pointer);
        if (m_pointers != nullptr) zwlr_virtual_pointer_manager_v1_destroy(m_pointers);
        if (m_toplevels != nullptr) zwlr_foreign_toplevel_manager_v1_destroy(m_toplevels);
        if (m_registry != nullptr) wl_registry_destroy(m_registry);
        wl_display_disconnect(m_display);
    }

    void move(Point at) {
        zwlr_virtual_pointer_v1_motion_absolute(m_pointer, now_ms(),
                                                static_cast<std::uint32_t>(at.x),
                                                static_cast<std::uint32_t>(at.y), 800, 600);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        wl_display_roundtrip(m_display);
    }
    void button(bool pressed) {
        zwlr_virtual_pointer_v1_button(
            m_pointer, now_ms(), BTN_LEFT,
            pressed ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        zwlr_virtual_pointer_v1_frame(m_pointer);
        wl_display_roundtrip(m_display);
    }
    std::vector<std::string> titles() {
        wl_display_roundtrip(m_display);
        std::vector<std::string> titles;
        for (const auto& [handle, title] : m_titles) titles.push_back(title);
        return titles;
    }

private:
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t /*version*/) {
        auto& self = *static_cast<TestClient*>(data);
        if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
            self.m_pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
            self.m_pointer =
                zwlr_virtual_pointer_manager_v1_create_virtual_pointer(self.m_pointers, nullptr);
        } else if (std::strcmp(interface, zwlr_foreign_toplevel_manager_v1_interface.name) == 0) {
            self.m_toplevels = static_cast<zwlr_foreign_toplevel_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_foreign_toplevel_manager_v1_interface, 1));
            static const zwlr_foreign_toplevel_manager_v1_listener listener{toplevel,
                                                                            [](void*, auto*) {}};
            zwlr_foreign_toplevel_manager_v1_add_listener(self.m_toplevels, &listener, &self);
        }
    }
    static void toplevel(void* data, zwlr_foreign_toplevel_manager_v1* /*manager*/,
                         zwlr_foreign_toplevel_handle_v1* handle) {
        auto& self = *static_cast<TestClient*>(data);
        self.m_titles[handle] = "";
        static const zwlr_foreign_toplevel_handle_v1_listener listener{
            [](void* d, zwlr_foreign_toplevel_handle_v1* h, const char* title) {
                static_cast<TestClient*>(d)->m_titles[h] = title;
            },
            [](void*, zwlr_foreign_toplevel_handle_v1*, const char*) {},
            [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            [](void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {},
            [](void*, zwlr_foreign_toplevel_handle_v1*, wl_array*) {},
            [](void*, zwlr_foreign_toplevel_handle_v1*) {},
            [](void* d, zwlr_foreign_toplevel_handle_v1* h) {
                static_cast<TestClient*>(d)->m_titles.erase(h);
                zwlr_foreign_toplevel_handle_v1_destroy(h);
            },
            [](void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {},
        };
        zwlr_foreign_toplevel_handle_v1_add_listener(handle, &listener, &self);
    }

    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    zwlr_virtual_pointer_manager_v1* m_pointers = nullptr;
    zwlr_virtual_pointer_v1* m_pointer = nullptr;
    zwlr_foreign_toplevel_manager_v1* m_toplevels = nullptr;
    std::map<zwlr_foreign_toplevel_handle_v1*, std::string> m_titles;
};

WaylandSession::WaylandSession() {
    start_sway();
    m_client = std::make_unique<TestClient>(m_environment);
    Picture first = screen();
    if (first.width() != 800 || first.height() != 600)
        throw std::runtime_error("the sway output is " + std::to_string(first.width()) + " x " +
                                 std::to_string(first.height()) + ", not 800 x 600");
}

WaylandSession::~WaylandSession() {
    m_program.reset();
    m_client.reset();
}

void WaylandSession::start_sway() {
    std::optional<passwd> user = ordinary_user();
    std::vector<std::string> argv{"sway", "-c", (m_runtime / "config").string()};
    write_file(m_runtime / "config", "");  // no bar of sway's own, nothing but defaults
    if (user) {
        std::filesystem::permissions(m_runtime.path(), std::filesystem::perms::owner_all);
        if (chown(m_runtime.path().c_str(), user->pw_uid, user->pw_gid) != 0)
            throw std::runtime_error("cannot hand the runtime folder to " + std::string(sway_user));
        argv.insert(argv.begin(), {"setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                   "--regid=" + std::to_string(user->pw_gid), "--clear-groups"});
    }
    m_environment = {{"XDG_RUNTIME_DIR", m_runtime.path().string()},
                     {"HOME", m_runtime.path().string()},
                     {"WLR_BACKENDS", "headless"},
                     {"WLR_RENDERER", "pixman"},
                     {"WLR_LIBINPUT_NO_DEVICES", "1"},
                     {"WAYLAND_DISPLAY", "wayland-1"},
                     {"DISPLAY", ""}};
    m_sway.emplace(argv, SpawnOptions{m_environment, m_runtime.path(), Output::Capture, {}});
    std::string ipc;
    bool up = poll_until([&] {
        for (const auto& entry : std::filesystem::directory_iterator(m_runtime.path()))
            if (entry.path().filename().string().rfind("sway-ipc.", 0) == 0) ipc = entry.path();
        return !ipc.empty() && std::filesystem::exists(m_runtime / "wayland-1") &&
               !m_sway->wait_exit(std::chrono::milliseconds(0));
    });
    if (!up) throw std::runtime_error("sway did not start: " + m_sway->err());
    m_environment.emplace_back("SWAYSOCK", ipc);
    RunResult mode = run({"swaymsg", "output", "HEADLESS-1", "mode", "800x600"}, m_environment);
    if (mode.status != 0) throw std::runtime_error("swaymsg failed: " + mode.out + mode.err);
}

ChildProcess& WaylandSession::launch() {
    m_program.emplace(std::vector<std::string>{folder().executable().string()},
                      SpawnOptions{m_environment, folder().path(), Output::Capture, {}});
    return *m_program;
}

void WaylandSession::stop_compositor() {
    m_client.reset();
    m_sway->kill(SIGTERM);
    m_sway->wait_exit(10s);
}

void WaylandSession::move(Point screen) const { m_client->move(screen); }

void WaylandSession::click(Point screen) const {
    m_client->move(screen);
    m_client->button(true);
    m_client->button(false);
}

void WaylandSession::key(const std::string& name) const {
    RunResult typed = run({"wtype", "-s", "300", "-k", name}, m_environment);
    if (typed.status != 0) throw std::runtime_error("wtype failed: " + typed.err);
}

Picture WaylandSession::screen() const {
    RunResult shot = run({"grim", "-t", "ppm", "-"}, m_environment);
    if (shot.status != 0) throw std::runtime_error("grim failed: " + shot.err);
    return parse_ppm(shot.out);
}

Picture WaylandSession::wait_for_picture(Rect area, const Picture& expected,
                                         const std::vector<Rect>& masked) const {
    Picture seen;
    poll_until([&] {
        seen = crop(screen(), area);
        return differences(seen, expected, masked).empty();
    });
    return seen;
}

std::vector<std::string> WaylandSession::toplevel_titles() const { return m_client->titles(); }

}  // namespace osyl::test
