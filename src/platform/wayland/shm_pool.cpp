#include "platform/wayland/shm_pool.h"

#include "platform/errors.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace osyl::wayland {

Mapping::Mapping(int fd, std::size_t size, Access access) : m_size(size) {
    void* data = access == Access::Shared
                     ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                     : mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) throw SystemError(errno);
    m_data = data;
}

Mapping::Mapping(Mapping&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr)), m_size(std::exchange(other.m_size, 0)) {}

Mapping& Mapping::operator=(Mapping other) noexcept {
    std::swap(m_data, other.m_data);
    std::swap(m_size, other.m_size);
    return *this;
}

Mapping::~Mapping() {
    if (m_data != nullptr) munmap(m_data, m_size);
}

std::size_t ShmPool::frame_bytes() const {
    return static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height) * 4;
}

// A new size starts a new pool; buffers of the old one live on until they are destroyed.
void ShmPool::start(int width, int height) {
    m_slots.clear();
    m_pool.reset();
    m_map = Mapping();
    m_width = width;
    m_height = height;
    int fd = memfd_create("osyl-shm", MFD_CLOEXEC);
    if (fd < 0) throw SystemError(errno);
    m_file = FileHandle(fd);
}

ShmPool::Slot& ShmPool::free_slot() {
    for (auto& slot : m_slots)
        if (!slot->busy) return *slot;
    // All in use: the pool grows by one frame.
    std::size_t size = frame_bytes() * (m_slots.size() + 1);
    int fd = static_cast<int>(m_file.native());
    if (ftruncate(fd, static_cast<off_t>(size)) < 0) throw SystemError(errno);
    m_map = Mapping(fd, size);
    if (m_pool) {
        wl_shm_pool_resize(m_pool.get(), static_cast<std::int32_t>(size));
    } else {
        m_pool.reset(wl_shm_create_pool(m_shm, fd, static_cast<std::int32_t>(size)));
    }
    auto slot = std::make_unique<Slot>();
    slot->buffer.reset(wl_shm_pool_create_buffer(
        m_pool.get(), static_cast<std::int32_t>(frame_bytes() * m_slots.size()), m_width, m_height,
        m_width * 4, WL_SHM_FORMAT_ARGB8888));
    static const wl_buffer_listener listener{release};
    wl_buffer_add_listener(slot->buffer.get(), &listener, slot.get());
    m_slots.push_back(std::move(slot));
    return *m_slots.back();
}

void ShmPool::release(void* data, wl_buffer* /*buffer*/) { static_cast<Slot*>(data)->busy = false; }

wl_buffer* ShmPool::draw(const Picture& picture) {
    if (picture.width() != m_width || picture.height() != m_height || !m_file)
        start(picture.width(), picture.height());
    Slot& slot = free_slot();
    std::size_t index = 0;
    for (std::size_t i = 0; i < m_slots.size(); ++i)
        if (m_slots[i].get() == &slot) index = i;
    std::uint32_t* out = m_map.pixels() + index * frame_bytes() / 4;
    for (Rgb pixel : picture.pixels()) *out++ = 0xFF000000U | pixel;  // opaque
    slot.busy = true;
    return slot.buffer.get();
}

}  // namespace osyl::wayland
