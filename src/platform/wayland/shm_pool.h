#pragma once

// Internal to the Wayland backend.

#include "platform/files.h"
#include "platform/picture.h"
#include "platform/wayland/wl_owned.h"

#include <wayland-client.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace osyl::wayland {

// Shared memory mapped into the process, unmapped when it dies.
class Mapping {
public:
    Mapping() = default;
    enum class Access { Shared, PrivateReadOnly };
    Mapping(int fd, std::size_t size, Access access = Access::Shared);
    Mapping(Mapping&& other) noexcept;
    Mapping& operator=(Mapping other) noexcept;
    ~Mapping();
    std::uint32_t* pixels() const { return static_cast<std::uint32_t*>(m_data); }
    const char* text() const { return static_cast<const char*>(m_data); }

private:
    void* m_data = nullptr;
    std::size_t m_size = 0;
};

// The buffers of one surface, all of one size, from one shared-memory pool: ARGB8888 with
// alpha 255 everywhere. A buffer is drawn into again only after the compositor released it.
class ShmPool {
public:
    explicit ShmPool(wl_shm* shm) : m_shm(shm) {}

    // A buffer holding the picture's pixels, ready to attach.
    wl_buffer* draw(const Picture& picture);

private:
    struct Slot {
        Proxy<wl_buffer> buffer;
        bool busy = false;
    };
    static void release(void* data, wl_buffer* buffer);
    std::size_t frame_bytes() const;
    void start(int width, int height);
    Slot& free_slot();

    wl_shm* m_shm;
    int m_width = 0;
    int m_height = 0;
    FileHandle m_file;
    Mapping m_map;
    Proxy<wl_shm_pool> m_pool;
    std::vector<std::unique_ptr<Slot>> m_slots;  // at fixed addresses: release finds them
};

}  // namespace osyl::wayland
