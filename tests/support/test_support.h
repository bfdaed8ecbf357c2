#pragma once

#include <filesystem>
#include <string>

namespace osyl::test {

// The system's description of a missing file, as reports quote it.
std::string no_such_file_text();

// A fresh directory in the temporary folder, removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// Writes bytes to a file, replacing it.
void write_file(const std::filesystem::path& path, const std::string& bytes);

// Whether this process holds the file open.
bool held_open(const std::filesystem::path& path);

// Changes the working directory for the lifetime of the object.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& dir);
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;
    ~ScopedCwd();

private:
    std::filesystem::path m_old;
};

}  // namespace osyl::test
