// Broken, oversized and endless input files given to the real program: each gives its
// report or its pictures, memory stays small, and the program keeps answering.

#include "e2e/desktop_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace osyl::test {

namespace {

using namespace std::chrono_literals;

constexpr std::uint64_t twenty_mib_in_kib = 20 * 1024;
constexpr std::uint64_t hundred_mib_in_kib = 100 * 1024;
constexpr std::uint64_t gib = 1ULL << 30;

std::string u16(std::uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string u32(std::uint32_t v) {
    return u16(static_cast<std::uint16_t>(v)) + u16(static_cast<std::uint16_t>(v >> 16));
}

// A file header and a 40-byte information header, without colour table or pixels.
std::string bmp_headers(std::int32_t width, std::int32_t height, std::uint16_t bits_per_pixel,
                        std::uint32_t colours_used = 0) {
    std::string file = "BM" + u32(0) + u32(0) + u32(14 + 40);
    std::string info = u32(40) + u32(static_cast<std::uint32_t>(width)) +
                       u32(static_cast<std::uint32_t>(height)) + u16(1) + u16(bits_per_pixel) +
                       u32(0) + u32(0) + u32(2835) + u32(2835) + u32(colours_used) + u32(0);
    return file + info;
}

std::string garbage(std::size_t size) {
    std::string bytes;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245 + 12345;
        bytes += static_cast<char>(state >> 24);
    }
    return bytes;
}

// Writes the bytes and then stretches the file with a hole to the given size.
void write_sparse(const std::filesystem::path& path, const std::string& head, std::uint64_t size) {
    write_file(path, head);
    std::filesystem::resize_file(path, size);
}

std::uint64_t peak_kib(DesktopSession& session) {
    return process_status_kib(session.program().pid(), "VmHWM");
}

// Shows the menu once, dismissing the one report that the labels are expected to cause.
void show_menu_through(DesktopSession& session, bool reported) {
    session.click(prg_point);
    if (reported) {
        std::optional<WindowInfo> report = session.wait_for_report();
        ASSERT_TRUE(report) << "no report";
        ASSERT_TRUE(session.wait_focus(report->id));
        session.key("Return");
        ASSERT_TRUE(session.wait_viewable(report->id, false));
    }
    ASSERT_TRUE(session.wait_viewable(session.menu(), true)) << "no menu";
}

void hide_menu(DesktopSession& session) {
    session.click(prg_point);
    ASSERT_TRUE(session.wait_viewable(session.menu(), false)) << "the menu did not hide";
}

struct Hostile {
    const char* what;
    std::string bytes;
    bool reported;
};

TEST(HostileInput, BrokenLetterPicturesAreReportedWithinTwentyMebibytes) {
    DesktopSession session;
    const std::vector<Hostile> files = {
        {"garbage", garbage(200), true},
        {"cut inside the file header", "BM" + u32(70) + u32(0), true},
        {"cut inside the information header", bmp_headers(12, 12, 24).substr(0, 30), true},
        {"4096 x 4096 without pixel data", bmp_headers(4096, 4096, 24), true},
        {"100000 x 1", bmp_headers(100000, 1, 24), true},
        {"height -2^31", bmp_headers(12, INT_MIN, 24), true},
        {"a billion colours", bmp_headers(12, 12, 8, 1U << 30), true},
        {"32 bits per pixel with width 2^31 - 1", bmp_headers(INT_MAX, 1, 32), true},
        {"empty", "", false},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        char letter = static_cast<char>('a' + i);
        write_file(session.folder().skin_dir() / (std::string("b") + letter + ".bmp"),
                   files[i].bytes);
    }
    session.launch();
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].what);
        session.folder().write_labels(std::string(1, static_cast<char>('A' + i)) + "\n");
        ASSERT_NO_FATAL_FAILURE(show_menu_through(session, files[i].reported));
        EXPECT_LT(peak_kib(session), twenty_mib_in_kib);
        ASSERT_NO_FATAL_FAILURE(hide_menu(session));
    }
}

// A skin file of gigabytes whose first bytes rule it out, or whose header asks for 12 x 12
// pixels, needs no more than a few kilobytes read. The loader reads up to the reader's
// 16 MiB file cap before the header is looked at, so each such load costs 16 MiB of
// memory at its peak (and the heap keeps it afterwards), and the 20 MiB ceiling then
// holds or fails by a few dozen kilobytes from run to run.
TEST(HostileInput, GigabyteSkinFileIsReadOnlyAsFarAsItsHeaderNeeds) {
    constexpr std::uint64_t four_mib_in_kib = 4 * 1024;
    DesktopSession session;
    const std::vector<Hostile> files = {
        {"2 GiB of garbage after \"BM\"", "BM" + garbage(64), true},
        {"2 GiB behind a 12 x 12 header", bmp_headers(12, 12, 24), false},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        char letter = static_cast<char>('a' + i);
        write_sparse(session.folder().skin_dir() / (std::string("b") + letter + ".bmp"),
                     files[i].bytes, 2 * gib);
    }
    session.launch();
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].what);
        std::uint64_t before = process_status_kib(session.program().pid(), "VmRSS");
        session.folder().write_labels(std::string(1, static_cast<char>('a' + i)) + "\n");
        ASSERT_NO_FATAL_FAILURE(show_menu_through(session, files[i].reported));
        std::uint64_t peak = peak_kib(session);
        EXPECT_LT(peak, twenty_mib_in_kib);
        EXPECT_LT(peak - std::min(peak, before), four_mib_in_kib)
            << "the load took the peak from " << before << " KiB to " << peak << " KiB";
        ASSERT_NO_FATAL_FAILURE(hide_menu(session));
    }
}

TEST(HostileInput, BrokenDigitPicturesAreReportedAndTheProgramAnswers) {
    DesktopSession session;
    for (char digit = '0'; digit <= '9'; ++digit) {
        std::string bytes = digit % 2 == 0 ? garbage(100) : bmp_headers(4096, 4096, 32);
        write_file(session.folder().skin_dir() / (std::string("c") + digit + ".bmp"), bytes);
    }
    session.folder().write_labels(sample_labels);
    // Every change of the minute gives a further report; start well inside a minute.
    ASSERT_TRUE(poll_until([] { return std::time(nullptr) % 60 < 40; }, 30s));
    session.launch();
    std::optional<WindowInfo> report = session.wait_for_report();
    ASSERT_TRUE(report) << "the first tick reported nothing";
    ASSERT_TRUE(session.wait_focus(report->id));
    session.key("Return");
    ASSERT_TRUE(session.wait_viewable(report->id, false));

    // No digit loads, so the bar keeps reading 00:00 in the built-in digit, just as the
    // headless program with the same skin does.
    Picture expected = HeadlessTwin(session.folder()).pixels("Form1");
    Picture seen = session.wait_for_picture(bar_area, expected);
    EXPECT_EQ(differences(seen, expected), "");
    ASSERT_NO_FATAL_FAILURE(show_menu_through(session, false));
    EXPECT_LT(peak_kib(session), twenty_mib_in_kib);
    ASSERT_NO_FATAL_FAILURE(hide_menu(session));
}

TEST(HostileInput, GigabyteLabelLineCostsNoGigabyte) {
    DesktopSession session;
    write_sparse(session.folder().labels(), "", gib);
    {
        std::ofstream tail(session.folder().labels(), std::ios::binary | std::ios::app);
        tail << "\nxyz\n";
    }
    session.launch();
    session.click(prg_point);
    ASSERT_TRUE(session.wait_viewable(session.menu(), true, 120s)) << "the menu never came up";
    EXPECT_LT(peak_kib(session), twenty_mib_in_kib);

    // Row 1 is a gigabyte of NUL bytes, which select nothing; row 2 reads xyz.
    for (int column = 1; column <= 3; ++column) {
        std::string file = std::string("b") + "xyz"[column - 1] + ".bmp";
        Picture glyph = read_bmp(session.folder().skin_dir() / file);
        Rect cell{menu_area.left + 41 + 12 * column, menu_area.top + 33, 12, 12};
        EXPECT_EQ(differences(session.wait_for_picture(cell, glyph), glyph), "") << file;
    }
    ASSERT_NO_FATAL_FAILURE(hide_menu(session));
}

TEST(HostileInput, SkinsFillingThePixelBudgetStayUnderOneHundredMebibytes) {
    DesktopSession session;
    // 2000 x 2000 at 24 bits: 12 MB files, 16 MB pictures; the clock holds four at once.
    constexpr int side = 2000;
    for (char digit = '0'; digit <= '9'; ++digit) {
        write_sparse(session.folder().skin_dir() / (std::string("c") + digit + ".bmp"),
                     bmp_headers(side, side, 24), 54 + std::uint64_t{side} * side * 3);
    }
    session.folder().write_labels(sample_labels);
    session.launch();
    // The files hold zeros, so the digits turn black, and c3, the last of them, now
    // reaches across the field to the panel.
    ASSERT_TRUE(poll_until([&] {
        Picture bar = session.screen(bar_area);
        return bar.at(70, 10) == 0 && bar.at(81, 10) == 0 && bar.at(300, 10) == 0;
    })) << "the large digits were not drawn";
    EXPECT_LT(peak_kib(session), hundred_mib_in_kib);
    ASSERT_NO_FATAL_FAILURE(show_menu_through(session, false));
    ASSERT_NO_FATAL_FAILURE(hide_menu(session));
    EXPECT_LT(peak_kib(session), hundred_mib_in_kib);
}

// Letters within the per-picture caps that together do not fit the pixel budget: the one
// that does not fit is reported, and the menu comes up with the rest.
TEST(HostileInput, LettersPastThePixelBudgetAreReportedAndTheProgramGoesOn) {
    DesktopSession session;
    constexpr int side = 2000;  // 16 MB of pixels each
    write_sparse(session.folder().skin_dir() / "bp.bmp", bmp_headers(side, side, 24),
                 54 + std::uint64_t{side} * side * 3);
    session.folder().write_labels("PPPP\n");
    session.launch();
    ASSERT_NO_FATAL_FAILURE(show_menu_through(session, true));
    // The first P, all zeros, now reaches across the bar.
    EXPECT_TRUE(poll_until([&] { return session.screen(bar_area).at(100, 10) == 0; }));
    EXPECT_FALSE(session.program().wait_exit(std::chrono::milliseconds(0)).has_value());
}

}  // namespace

}  // namespace osyl::test
