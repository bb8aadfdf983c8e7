#include "common/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace common {

namespace {

std::string systemError(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

} // namespace

Status readFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Status::failure(systemError("Не удалось открыть файл", path, errno));
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return Status::failure(systemError("Не удалось открыть файл", path, EISDIR));
    }
    // Read straight into the string, sized by the file's length; a file that grows meanwhile
    // is read on to its end.
    std::size_t expected = S_ISREG(st.st_mode) && st.st_size > 0 ? std::size_t(st.st_size) : 0;
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(std::max(used + (std::size_t(1) << 16), expected));
        const ssize_t n = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            bytes.clear();
            return Status::failure(systemError("Не удалось прочитать файл", path, err));
        }
        used += std::size_t(n);
        if (used == expected) expected = 0; // any further bytes come in steps
    }
    ::close(fd);
    bytes.resize(used);
    return Status::success();
}

Status writeFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return Status::failure(systemError("Не удалось создать файл", path, errno));
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    int err = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        p += n;
        left -= std::size_t(n);
    }
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    // mkstemp creates the file readable by the owner only; published files are read by others.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && std::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return Status::failure(systemError("Не удалось записать файл", path, err));
    }
    return Status::success();
}

Status copyFileBytes(const std::string& from, const std::string& to) {
    std::string bytes;
    if (Status s = readFileBytes(from, bytes); !s) return s;
    return writeFileAtomically(to, bytes);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

} // namespace common
