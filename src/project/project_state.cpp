#include "project/project_state.h"

#include "common/file_io.h"
#include "common/helpers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace project {

// A picture named without an extension ("photo"), or one in a folder with a dot in its name,
// keeps its project files beside it instead of in the working folder or a parent folder.
std::string projectBaseOf(const std::string& imagePath) {
    const auto dot = imagePath.rfind('.');
    const auto slash = imagePath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return imagePath;
    return common::stripExtension(imagePath);
}

std::string mapFilePath(const std::string& imagePath) {
    return projectBaseOf(imagePath) + ".map";
}

std::string attributeFilePath(const std::string& imagePath) {
    return projectBaseOf(imagePath) + ".zarm";
}

std::string unreadableKeepPath(const std::string& path) {
    const std::string base = path + ".unreadable";
    std::string candidate = base;
    struct stat st {};
    // Anything of that name counts, a folder too: the rename must not land in or on it.
    for (int n = 2; ::lstat(candidate.c_str(), &st) == 0; ++n)
        candidate = base + "." + std::to_string(n);
    return candidate;
}

common::Status setAsideUnreadable(ProjectState& state, const std::string& path) {
    auto& files = state.unreadableFiles;
    const auto it = std::find(files.begin(), files.end(), path);
    if (it == files.end()) return common::Status::success();
    if (common::fileExists(path)) {
        const std::string keep = unreadableKeepPath(path);
        if (std::rename(path.c_str(), keep.c_str()) != 0)
            return common::Status::failure("Не удалось переименовать нечитаемый файл \"" + path +
                                           "\" в \"" + keep + "\": " + std::strerror(errno));
    }
    files.erase(it);
    return common::Status::success();
}

} // namespace project
