#pragma once
// Opening a picture with its project files: the picture, its ".map" (or a black map) and its
// ".zarm" (or an empty table).

#include "common/status.h"
#include "project/project_state.h"

#include <string>
#include <vector>

namespace project {

struct OpenOutcome {
    // Failure: the picture could not be decoded; the project that was open stays untouched.
    common::Status status = common::Status::success();
    // Problems with the project files that did not stop the opening, for the user to read:
    // an undecodable map (started black), a map of another size (cropped or padded), an
    // unreadable attribute file (the table stays cleared).
    std::vector<std::string> warnings;
    std::vector<std::string> errors;
};

// Decodes the picture at `path` and replaces the project in `state` with it, its map and its
// attributes. The view, the current colour and the brush size stay. `displayImage` is sized
// but not composed.
OpenOutcome openProject(const std::string& path, ProjectState& state);

// `map` cropped or padded with black to width x height.
common::Raster fitMapToPicture(const common::Raster& map, int width, int height);

} // namespace project
