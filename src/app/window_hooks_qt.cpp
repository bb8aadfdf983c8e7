#include "app/window_hooks_qt.h"

#include "app/settings.h"
#include "app/window_registry.h"
#include "project/region_attributes.h"
#include "publish/effect_window.h"

namespace app::hooks {

void showPalette() {}

void showPaletteAt(int, int) {}

void showBackgroundMusic() {}

void showExportSettings() {}

void showBrightness() {
    if (windows().Form11)
        windows().Form11->exec();
}

void refreshAttributes() {}

void commitAttributes() {}

bool selectPaletteColor(int) { return false; }

void loadBackgroundMusic(const project::RegionAttributes&) {}

void storeBackgroundMusic(project::RegionAttributes&) {}

publish::EffectSettings effectSettings() {
    if (windows().Form11)
        return windows().Form11->effectSettings();
    return {};
}

std::function<void(publish::PublishReporter&)> mediaPass(const ExportSettings&) { return {}; }

} // namespace app::hooks
