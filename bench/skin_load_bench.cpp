// Cost of one 12 x 12 24-bit skin picture: decoding alone, the whole load from open to
// close, and the kernel's own open/read/close of the same file as the floor.

#include "skin/bmp_builder.h"
#include "skin/bmp_reader.h"
#include "skin/skin_loader.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

osyl::test::Bytes digit_file() {
    osyl::test::Image image{12, 12, {}};
    for (int i = 0; i < 144; ++i) image.pixels.push_back(i % 5 == 0 ? 0x068AC7 : 0x011C28);
    return osyl::test::make_bmp(image, 24).bytes();
}

// A fake executable folder with skin/c0.bmp in it, removed at exit.
class SkinFolder {
public:
    SkinFolder() {
        std::string pattern = (fs::temp_directory_path() / "osyl-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        m_root = pattern;
        fs::create_directory(m_root / "skin");
        std::ofstream(m_root / "skin" / "c0.bmp", std::ios::binary)
            << osyl::test::as_string(digit_file());
    }
    ~SkinFolder() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    std::string exe() const { return (m_root / "osyl").string(); }
    std::string file() const { return (m_root / "skin" / "c0.bmp").string(); }

private:
    fs::path m_root;
};

const SkinFolder& folder() {
    static SkinFolder instance;
    return instance;
}

void decode_only(benchmark::State& state) {
    osyl::test::Bytes bytes = digit_file();
    for (auto _ : state) benchmark::DoNotOptimize(osyl::decode_bmp(bytes));
}
BENCHMARK(decode_only);

void load_open_to_close(benchmark::State& state) {
    std::string exe = folder().exe();
    for (auto _ : state) benchmark::DoNotOptimize(osyl::load_skin_picture(exe, "skin/c0.bmp"));
}
BENCHMARK(load_open_to_close);

void kernel_open_read_close(benchmark::State& state) {
    std::string path = folder().file();
    char buffer[1024];
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
        ::close(fd);
    }
}
BENCHMARK(kernel_open_read_close);

}  // namespace

BENCHMARK_MAIN();
