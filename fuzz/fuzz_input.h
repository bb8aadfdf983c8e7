#pragma once
// The fuzzer's bytes as a file, for readers that take a path: one file per process, rewritten
// for every input, and removed at exit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzzing {

inline std::string inputFile(const std::uint8_t* data, std::size_t size, const char* suffix) {
    // In memory where there is a tmpfs: the writers' fsync costs nothing there.
    static const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    static const std::string path =
        folder + "/qz-fuzz-" + std::to_string(::getpid()) + "-input" + suffix;
    static const bool cleanup = [] {
        std::atexit([] { std::remove(path.c_str()); });
        return true;
    }();
    (void)cleanup;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) __builtin_trap();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) __builtin_trap();
    std::fclose(f);
    return path;
}

} // namespace fuzzing
