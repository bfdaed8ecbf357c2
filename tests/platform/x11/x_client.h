#pragma once

#include "platform/geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace osyl::test {

// A second client on the display, standing in for a window manager or another program.
class XClient {
public:
    explicit XClient(const std::string& display);
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;
    ~XClient();

    // What a window manager sends for Alt+F4.
    void send_delete_window(std::uint32_t window);
    // Maps a black override-redirect window over the area, as another program would.
    std::uint32_t cover(Rect area);
    // Creates and maps an ordinary window, which a window manager would manage.
    std::uint32_t create_managed(Rect area);
    void destroy(std::uint32_t window);
    bool viewable(std::uint32_t window);
    std::uint32_t focus();
    std::uint32_t root() const;
    // A 32-bit property's values.
    std::vector<std::uint32_t> cardinals(std::uint32_t window, const std::string& property);
    // Window position on the screen, whatever parents a window manager put around it.
    Rect geometry(std::uint32_t window);
    // Replaces the server's font path (the built-in fonts included) with one folder.
    void set_font_path(const std::string& folder);

private:
    std::uint32_t create(Rect area, bool override_redirect);

    struct Connection;
    std::unique_ptr<Connection> m_conn;
};

}  // namespace osyl::test
