#pragma once
// The fuzzer's bytes as a file, for readers that take a path: one file per process and suffix,
// rewritten for every input, and removed at exit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

namespace fuzzing {

inline std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    // In memory where there is a tmpfs: the writers' fsync costs nothing there.
    static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    static const std::string base = folder + "/qz-fuzz-" + std::to_string(::getpid()) + "-input";
    // Each suffix has its own file; all of them go at exit.
    static std::set<std::string> made;
    static const bool cleanup = [] {
        std::atexit([] {
            for (const std::string& file : made) std::remove(file.c_str());
        });
        return true;
    }();
    (void)cleanup;
    const std::string path = base + suffix;
    made.insert(path);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) __builtin_trap();
    std::fclose(f);
    return path;
}

} // namespace fuzzing
