#pragma once
// Small file helpers for tests: a temporary folder removed with the fixture, whole-file I/O.

#include <filesystem>
#include <string>

namespace testing_support {

// A fresh folder under the system's temporary folder; removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Path of a file inside the folder, as a UTF-8 string.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

} // namespace testing_support
