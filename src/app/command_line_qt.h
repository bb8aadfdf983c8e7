#pragma once
// Headless publishing from the command line:
//   qiv-zarim-editor --publish PICTURE [--no-effect] [--effect-grid MMxNN] [--effect-depth N]
// Opens PICTURE with its project files as the editor does, publishes it and prints every
// message the editor would show in a box (errors on stderr, the rest on stdout). Reads the
// settings file beside the executable, never writes it. Needs no display.

namespace app {

// True when the arguments ask for headless publishing.
bool isHeadlessPublish(int argc, char** argv);

// Runs it; the process exit code: 0 when publishing ran to its end.
int runHeadlessPublish(int argc, char** argv);

} // namespace app
