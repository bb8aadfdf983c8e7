#include "project/project_loader_qt.h"

#include "common/file_io.h"
#include "project/attribute_file.h"
#include "project/map_file.h"
#include "project/picture_decoder_qt.h"

#include <algorithm>
#include <cstring>

namespace project {

common::Raster fitMapToPicture(const common::Raster& map, int width, int height) {
    common::Raster fitted(width, height);
    const int w = std::min(width, map.width()), h = std::min(height, map.height());
    for (int y = 0; y < h; ++y)
        std::memcpy(fitted.row(y), map.row(y), std::size_t(w) * 3);
    return fitted;
}

namespace {

std::string keptAsideNote(const std::string& path) {
    return "\nПри сохранении файл будет сохранён как \"" + unreadableKeepPath(path) + "\".";
}

} // namespace

OpenOutcome openProject(const std::string& path, ProjectState& state) {
    OpenOutcome outcome;
    common::Raster picture;
    outcome.status = decodePicture(path, picture);
    if (!outcome.status) return outcome;

    state.imagePath = path;
    state.imageLoaded = true;
    state.imageWidth = picture.width();
    state.imageHeight = picture.height();
    state.sourceImage = std::move(picture);
    state.displayImage = common::Raster(state.imageWidth, state.imageHeight);

    std::vector<std::string> unreadable;
    const std::string mapPath = mapFilePath(path);
    common::Raster map;
    if (common::fileExists(mapPath)) {
        if (common::Status s = readMapFile(mapPath, map); !s) {
            outcome.warnings.push_back(s.message() +
                                       "\nКарта областей не прочитана, начата пустая карта." +
                                       keptAsideNote(mapPath));
            unreadable.push_back(mapPath);
            map = common::Raster();
        } else if (map.width() != state.imageWidth || map.height() != state.imageHeight) {
            outcome.warnings.push_back(
                "Размеры карты областей (" + std::to_string(map.width()) + "x" +
                std::to_string(map.height()) + ") не совпадают с размерами изображения (" +
                std::to_string(state.imageWidth) + "x" + std::to_string(state.imageHeight) +
                "). Карта обрезана или дополнена чёрным цветом.");
            map = fitMapToPicture(map, state.imageWidth, state.imageHeight);
        }
    }
    if (map.isEmpty()) map = common::Raster(state.imageWidth, state.imageHeight);
    state.colorMap = std::move(map);

    state.myAttrs.clearAll();
    const std::string attrPath = attributeFilePath(path);
    if (common::fileExists(attrPath)) {
        if (common::Status s = readAttributeFile(attrPath, state.myAttrs); !s) {
            state.myAttrs.clearAll();
            outcome.errors.push_back(s.message() + keptAsideNote(attrPath));
            unreadable.push_back(attrPath);
        }
    }
    state.unreadableFiles = std::move(unreadable);
    return outcome;
}

} // namespace project
