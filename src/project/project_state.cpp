#include "project/project_state.h"

#include "common/helpers.h"

namespace project {

namespace {

// The picture's path without its extension. Only a dot in the file name starts an extension:
// a picture named without one ("photo"), or one in a folder with a dot in its name, keeps its
// project files beside it instead of in the working folder or a parent folder.
std::string projectBaseOf(const std::string& imagePath) {
    const auto dot = imagePath.rfind('.');
    const auto slash = imagePath.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return imagePath;
    return common::stripExtension(imagePath);
}

} // namespace

std::string mapFilePath(const std::string& imagePath) {
    return projectBaseOf(imagePath) + ".map";
}

std::string attributeFilePath(const std::string& imagePath) {
    return projectBaseOf(imagePath) + ".zarm";
}

} // namespace project
