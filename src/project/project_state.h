#pragma once
// The open project, owned by the main window for the whole run: the picture, its colour map,
// the shown composition, the attribute table and the editing values shared by the windows.

#include "common/raster.h"
#include "project/compose.h"
#include "project/region_attributes.h"

#include "common/status.h"

#include <string>
#include <vector>

namespace project {

struct ProjectState {
    bool imageLoaded = false;
    int imageWidth = 0;
    int imageHeight = 0;
    std::string imagePath; // the picture's full path; the project files are named after it

    common::Raster sourceImage;
    common::Raster colorMap;
    common::Raster displayImage;

    int currentColor = 0; // palette index 0..199
    int brushSize = 3;    // pen width in pixels, 1..100
    View view = View::SourceAndMask;

    RegionAttributes myAttrs;

    // Project files that existed but could not be read at opening. Each is moved aside before
    // the first save writes over it, so a damaged file or one from a newer program survives.
    std::vector<std::string> unreadableFiles;
};

// The picture's path without its extension; only a dot in the file name starts one ("photo"
// and "my.set/pic" keep their whole path). The project files and the page are named after it.
std::string projectBaseOf(const std::string& imagePath);

// Path of the map and attribute files of the picture at `imagePath`.
std::string mapFilePath(const std::string& imagePath);
std::string attributeFilePath(const std::string& imagePath);

// Where an unreadable `path` is kept: "NAME.map.unreadable", or with ".2", ".3", ... added
// when that exists already.
std::string unreadableKeepPath(const std::string& path);

// Before `path` is written: when it is one of state.unreadableFiles and still exists, it is
// renamed to unreadableKeepPath(path) and forgotten. Fails (naming both files) when the rename
// fails; the caller must then not write over `path`.
common::Status setAsideUnreadable(ProjectState& state, const std::string& path);

} // namespace project
