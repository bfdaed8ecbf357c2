#include "platform/picture.h"

#include "platform/errors.h"

#include <algorithm>
#include <utility>

namespace osyl {

namespace {

std::uint64_t g_bytes_in_use = 0;  // one UI thread, no locking needed

std::uint64_t bytes_of(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * sizeof(Rgb);
}

void charge(std::uint64_t bytes) {
    if (bytes > pixel_budget_bytes - g_bytes_in_use) throw SystemError(out_of_memory_error());
    g_bytes_in_use += bytes;
}

}  // namespace

std::uint64_t pixel_bytes_in_use() { return g_bytes_in_use; }

PixelBudgetShare::PixelBudgetShare(PixelBudgetShare&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)) {}

PixelBudgetShare& PixelBudgetShare::operator=(PixelBudgetShare other) noexcept {
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    return *this;
}

PixelBudgetShare::~PixelBudgetShare() { g_bytes_in_use -= bytes_of(m_width, m_height); }

void PixelBudgetShare::resize(int width, int height) {
    std::uint64_t old_bytes = bytes_of(m_width, m_height);
    std::uint64_t new_bytes = bytes_of(width, height);
    if (new_bytes > old_bytes)
        charge(new_bytes - old_bytes);
    else
        g_bytes_in_use -= old_bytes - new_bytes;
    m_width = std::max(width, 0);
    m_height = std::max(height, 0);
}

void Picture::reserve_budget() {
    try {
        charge(bytes_of(m_width, m_height));
    } catch (...) {
        m_width = m_height = 0;
        throw;
    }
}

Picture Picture::canvas(const PixelBudgetShare& share, Rgb fill) {
    Picture picture;
    picture.m_width = share.width();
    picture.m_height = share.height();
    picture.m_charged = false;
    picture.m_pixels.assign(bytes_of(share.width(), share.height()) / sizeof(Rgb), fill);
    return picture;
}

Picture::Picture(int width, int height, Rgb fill)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)) {
    reserve_budget();
    m_pixels.assign(bytes_of(m_width, m_height) / sizeof(Rgb), fill);
}

Picture::Picture(const Picture& other) : m_width(other.m_width), m_height(other.m_height) {
    reserve_budget();
    m_pixels = other.m_pixels;
}

Picture::Picture(Picture&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_charged(other.m_charged),
      m_pixels(std::move(other.m_pixels)) {}

Picture& Picture::operator=(Picture other) noexcept {
    std::swap(m_width, other.m_width);
    std::swap(m_height, other.m_height);
    std::swap(m_charged, other.m_charged);
    std::swap(m_pixels, other.m_pixels);
    return *this;
}

Picture::~Picture() {
    if (m_charged) g_bytes_in_use -= bytes_of(m_width, m_height);
}

void Picture::fill(int x0, int y0, int x1, int y1, Rgb colour) {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, m_width - 1);
    y1 = std::min(y1, m_height - 1);
    if (x0 > x1 || y0 > y1) return;
    for (int y = y0; y <= y1; ++y)
        std::fill_n(m_pixels.begin() + static_cast<std::ptrdiff_t>(index(x0, y)), x1 - x0 + 1,
                    colour);
}

void Picture::blit(const Picture& src, int left, int top) {
    int x0 = std::max(left, 0);
    int x1 = std::min(left + src.m_width, m_width);
    if (x0 >= x1) return;
    int y0 = std::max(top, 0);
    int y1 = std::min(top + src.m_height, m_height);
    for (int y = y0; y < y1; ++y) {
        auto from =
            src.m_pixels.begin() + static_cast<std::ptrdiff_t>(src.index(x0 - left, y - top));
        std::copy_n(from, x1 - x0, m_pixels.begin() + static_cast<std::ptrdiff_t>(index(x0, y)));
    }
}

}  // namespace osyl
