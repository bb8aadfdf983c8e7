#pragma once
// Small file helpers for tests: a temporary folder removed with the fixture, whole-file I/O.

#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

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

// A "template" folder in `exeDir` with the smallest page, script and style sheet templates
// publishing accepts, for tests of windows that save.
void writeMinimalTemplates(const std::string& exeDir);

// Makes every write past `bytes` into any file fail with EFBIG while alive: a failing disk
// that works even for root, for whom read-only folders are writable.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

struct ProgramRun {
    int exitCode = -1; // -1 when it could not be started or did not exit normally
    std::string out;   // standard output
    std::string err;   // standard error
};

// Runs `program` with `args` as one argument each (no shell), standard input from /dev/null,
// and waits for it. Its output goes through files in `workDir`.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workDir);

} // namespace testing_support
