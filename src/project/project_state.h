#pragma once
// The open project, owned by the main window for the whole run: the picture, its colour map,
// the shown composition, the attribute table and the editing values shared by the windows.

#include "common/raster.h"
#include "project/compose.h"
#include "project/region_attributes.h"

#include <string>

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
};

// Path of the map and attribute files of the picture at `imagePath`.
std::string mapFilePath(const std::string& imagePath);
std::string attributeFilePath(const std::string& imagePath);

} // namespace project
