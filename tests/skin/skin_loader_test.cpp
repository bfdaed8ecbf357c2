#include "skin/skin_loader.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "skin/bmp_builder.h"
#include "skin/bmp_reader.h"
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace osyl {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// The message of the error of type E that the load throws, or a note saying what happened.
template <class E>
std::string error_of(const std::string& exe, const std::string& name) {
    try {
        load_skin_picture(exe, name);
    } catch (const E& error) {
        return error.what();
    } catch (const std::exception& error) {
        return std::string("other error: ") + error.what();
    }
    return "no error";
}

Bytes one_pixel(Rgb colour) {
    test::Image image{1, 1, {colour}};
    return test::make_bmp(image, 24).bytes();
}

class SkinLoader : public testing::Test {
protected:
    SkinLoader() { fs::create_directory(m_dir / "skin"); }

    std::string exe() const { return (m_dir / "osyl").string(); }
    std::string skin(const std::string& name) const { return (m_dir / "skin" / name).string(); }
    void write(const std::string& name, const Bytes& bytes) const {
        test::write_file(skin(name), test::as_string(bytes));
    }

    test::TempDir m_dir;
};

TEST_F(SkinLoader, FindsTheSkinBesideTheExecutableFromAnyWorkingDirectory) {
    test::Image big{16, 16, std::vector<Rgb>(256, 0x00FF00)};
    write("c0.bmp", test::make_bmp(test::sample_image(), 24).bytes());
    write("bq.bmp", test::make_bmp(big, 24).bytes());
    test::TempDir elsewhere;
    test::ScopedCwd cwd(elsewhere.path());
    Picture digit = load_skin_picture(exe(), "skin\\c0.bmp");
    EXPECT_EQ(digit.width(), 7);
    EXPECT_EQ(digit.at(1, 0), 0xFFFFFFu);
    Picture letter = load_skin_picture(exe(), "skin/bq.bmp");
    EXPECT_EQ(letter.width(), 16);
    EXPECT_EQ(letter.height(), 16);
}

// The loader reads the headers first, then as much more as they need: files longer than
// that first read, and files with bytes after their pixels, load as the whole file decodes.
TEST_F(SkinLoader, LoadsWhatTheWholeFileDecodesTo) {
    for (auto [side, trailing] : {std::pair{40, 0}, {40, 3000}, {8, 100}}) {
        test::Image image{side, side, {}};
        for (int i = 0; i < side * side; ++i)
            image.pixels.push_back(
                static_cast<Rgb>(i % side * 0x060000 + i / side * 0x0600 + 0x40));
        Bytes bytes = test::make_bmp(image, 24).bytes();
        bytes.resize(bytes.size() + static_cast<std::size_t>(trailing), std::byte{0xEE});
        write("ba.bmp", bytes);
        EXPECT_EQ(load_skin_picture(exe(), "skin/ba.bmp"), decode_bmp(bytes))
            << side << " x " << side << " with " << trailing << " bytes after the pixels";
    }
}

TEST_F(SkinLoader, AReplacedFileIsReadOnTheNextLoad) {
    write("c5.bmp", one_pixel(0xFF0000));
    auto opens = file_open_count();
    EXPECT_EQ(load_skin_picture(exe(), "skin/c5.bmp").at(0, 0), 0xFF0000u);
    write("c5.bmp", one_pixel(0x0000FF));
    EXPECT_EQ(load_skin_picture(exe(), "skin/c5.bmp").at(0, 0), 0x0000FFu);
    EXPECT_EQ(file_open_count(), opens + 2);
}

TEST_F(SkinLoader, CannotOpenNamesTheAbsolutePathAndTheReason) {
    auto cannot = [](const std::string& path, const char* reason) {
        return "Cannot open file \"" + path + "\". " + reason;
    };
    EXPECT_EQ(error_of<FileOpenError>(exe(), "skin/c5.bmp"),
              cannot(skin("c5.bmp"), "No such file or directory"));
    std::string gone = (m_dir / "gone" / "osyl").string();
    EXPECT_EQ(error_of<FileOpenError>(gone, "skin/c5.bmp"),
              cannot((m_dir / "gone" / "skin" / "c5.bmp").string(), "No such file or directory"));

    fs::create_directory(skin("c1.bmp"));
    EXPECT_EQ(error_of<FileOpenError>(exe(), "skin/c1.bmp"),
              cannot(skin("c1.bmp"), "Is a directory"));

    ASSERT_EQ(::mkfifo(skin("c2.bmp").c_str(), 0644), 0);
    EXPECT_EQ(error_of<FileOpenError>(exe(), "skin/c2.bmp"),
              cannot(skin("c2.bmp"), "Permission denied"));

    write("c3.bmp", one_pixel(0));
    EXPECT_EQ(error_of<FileOpenError>(exe(), "skin/c3.bmp/x.bmp"),
              cannot(skin("c3.bmp/x.bmp"), "Not a directory"));
}

TEST_F(SkinLoader, ARelativeExecutablePathIsReportedAbsolutely) {
    test::ScopedCwd cwd(m_dir.path());
    write("c7.bmp", one_pixel(0x00FF00));
    EXPECT_EQ(load_skin_picture("osyl", "skin/c7.bmp").at(0, 0), 0x00FF00u);
    EXPECT_EQ(error_of<FileOpenError>("./osyl", "skin/c8.bmp"),
              "Cannot open file \"" + fs::current_path().string() +
                  "/./skin/c8.bmp\". No such file or directory");
}

TEST_F(SkinLoader, FileContentsGiveTheReaderMessages) {
    write("ba.bmp", {});
    EXPECT_TRUE(load_skin_picture(exe(), "skin/ba.bmp").empty());
    write("bb.bmp", {std::byte{'B'}, std::byte{'M'}, std::byte{0}});
    EXPECT_EQ(error_of<StreamReadError>(exe(), "skin/bb.bmp"), "Stream read error");
    Bytes text(40, std::byte{'x'});
    write("bc.bmp", text);
    EXPECT_EQ(error_of<InvalidGraphic>(exe(), "skin/bc.bmp"), "Bitmap image is not valid");
}

std::size_t open_descriptors() {
    auto fds = fs::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(fds, fs::directory_iterator{}));
}

TEST_F(SkinLoader, NoFileStaysOpenOnAnyPath) {
    write("bd.bmp", one_pixel(0));
    write("be.bmp", Bytes(20, std::byte{'B'}));
    auto before = open_descriptors();
    load_skin_picture(exe(), "skin/bd.bmp");
    EXPECT_THROW(load_skin_picture(exe(), "skin/be.bmp"), InvalidGraphic);
    EXPECT_THROW(load_skin_picture(exe(), "skin/none.bmp"), FileOpenError);
    EXPECT_EQ(open_descriptors(), before);
}

// A 54-byte file may ask for 16 MiB of pixels; the pictures held at once stay in budget.
TEST_F(SkinLoader, PicturesPastThePixelBudgetFailAsOutOfMemory) {
    test::BmpFile huge;
    huge.width = 4096;
    huge.height = 1024;
    write("bz.bmp", huge.bytes());
    const std::uint64_t each = 4096ULL * 1024 * sizeof(Rgb);
    std::vector<Picture> held;
    // Bounded: a budget that never fills must fail here, not spin.
    while (held.size() < pixel_budget_bytes / each &&
           pixel_budget_bytes - pixel_bytes_in_use() >= each)
        held.push_back(load_skin_picture(exe(), "skin/bz.bmp"));
    ASSERT_GE(held.size(), 3u);
    auto in_use = pixel_bytes_in_use();
    EXPECT_EQ(error_of<SystemError>(exe(), "skin/bz.bmp"),
              "System Error.  Code: 12.\r\nCannot allocate memory");
    EXPECT_EQ(pixel_bytes_in_use(), in_use);
}

// Root reads any file, so the child drops to nobody the way setpriv --reuid=65534
// --regid=65534 --clear-groups does, then reports what the load said through a pipe.
TEST_F(SkinLoader, AFileWithoutReadPermissionCannotBeOpened) {
    fs::permissions(m_dir.path(),
                    fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    fs::permissions(m_dir / "skin", fs::perms::owner_all | fs::perms::others_exec);
    write("bp.bmp", one_pixel(0));
    fs::permissions(skin("bp.bmp"), fs::perms::none);
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe_fds[0]);
        bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
                       ::setresuid(65534, 65534, 65534) == 0;
        if (!dropped) ::_exit(77);
        std::string message = error_of<FileOpenError>(exe(), "skin/bp.bmp");
        auto written = ::write(pipe_fds[1], message.data(), message.size());
        ::_exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    ::close(pipe_fds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipe_fds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot change user";
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(message, "Cannot open file \"" + skin("bp.bmp") + "\". Permission denied");
}

}  // namespace
}  // namespace osyl
