#include "project/project_state.h"

#include "common/helpers.h"

namespace project {

std::string mapFilePath(const std::string& imagePath) {
    return common::stripExtension(imagePath) + ".map";
}

std::string attributeFilePath(const std::string& imagePath) {
    return common::stripExtension(imagePath) + ".zarm";
}

} // namespace project
