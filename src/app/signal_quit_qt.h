#pragma once

namespace app {

// SIGTERM, SIGINT and SIGHUP end the program through the normal exit path (the main window is
// destroyed and the settings file written), by way of the event loop.
void quitOnTerminationSignals();

} // namespace app
