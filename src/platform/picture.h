#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace osyl {

// 0x00RRGGBB; the top byte is always zero (no alpha anywhere).
using Rgb = std::uint32_t;

// All the pictures the program holds at once share this many bytes of pixels. A tiny
// BMP header can ask for megabytes, so the sum is capped rather than trusted.
inline constexpr std::uint64_t pixel_budget_bytes = 64ULL << 20;

// Bytes of pixels held by all live pictures, for tests and the soak.
std::uint64_t pixel_bytes_in_use();

// A share of the pixel budget held for pixels made later: a window holds one for the
// canvas it is composed on, so presenting never asks the budget for more than it has.
class PixelBudgetShare {
public:
    PixelBudgetShare() = default;
    PixelBudgetShare(int width, int height) { resize(width, height); }
    PixelBudgetShare(PixelBudgetShare&& other) noexcept;
    PixelBudgetShare& operator=(PixelBudgetShare other) noexcept;
    ~PixelBudgetShare();

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Throws SystemError(out_of_memory_error()) and keeps the old size when the new one
    // does not fit.
    void resize(int width, int height);

private:
    int m_width = 0;
    int m_height = 0;
};

// An unscaled bitmap of 32-bit pixels, row-major from the top-left corner.
class Picture {
public:
    Picture() = default;
    // Throws SystemError(out_of_memory_error()) when the pictures alive would exceed the budget.
    Picture(int width, int height, Rgb fill = 0);
    // A picture of the share's size whose pixels the share has paid for already.
    static Picture canvas(const PixelBudgetShare& share, Rgb fill);
    Picture(const Picture& other);
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture other) noexcept;
    ~Picture();

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool empty() const { return m_width <= 0 || m_height <= 0; }

    Rgb at(int x, int y) const { return m_pixels[index(x, y)]; }
    void set(int x, int y, Rgb colour) { m_pixels[index(x, y)] = colour; }
    // Fills the inclusive rectangle x0..x1, y0..y1, clipped to the picture.
    void fill(int x0, int y0, int x1, int y1, Rgb colour);
    // Copies src with its top-left corner at (left, top), clipped to this picture.
    void blit(const Picture& src, int left, int top);

    // A view, not the vector: the size stays what the budget was charged for.
    std::span<const Rgb> pixels() const { return m_pixels; }
    std::span<Rgb> pixels() { return m_pixels; }

    friend bool operator==(const Picture& a, const Picture& b) {
        return a.m_width == b.m_width && a.m_height == b.m_height && a.m_pixels == b.m_pixels;
    }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) +
               static_cast<std::size_t>(x);
    }
    void reserve_budget();

    int m_width = 0;
    int m_height = 0;
    bool m_charged = true;  // false for a canvas paid for by its window's share
    std::vector<Rgb> m_pixels;
};

}  // namespace osyl
