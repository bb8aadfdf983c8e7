#include "app/window_registry.h"

namespace app {

Windows& windows() {
    static Windows all;
    return all;
}

} // namespace app
