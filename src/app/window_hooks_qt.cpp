#include "app/window_hooks_qt.h"

#include "app/main_window.h"
#include "app/window_registry.h"
#include "editors/attribute_window.h"
#include "editors/background_music_window.h"
#include "editors/palette_window.h"
#include "project/project_state.h"
#include "project/region_attributes.h"
#include "publish/effect_window.h"
#include "publish/export_settings.h"
#include "publish/export_settings_window.h"
#include "publish/media_pass.h"
#include "publish/process_runner_qt.h"

namespace app::hooks {

void showPalette() {
    if (editors::TForm4* palette = windows().Form4) {
        palette->show();
        palette->raise();
        palette->activateWindow();
    }
}

void showPaletteAt(int x, int y) {
    if (editors::TForm4* palette = windows().Form4) {
        palette->move(x, y);
        showPalette();
    }
}

void showBackgroundMusic() {
    if (windows().Form9) windows().Form9->exec();
}

void showExportSettings() {
    if (windows().Form10) windows().Form10->exec();
}

void showBrightness() {
    if (windows().Form11) windows().Form11->exec();
}

void refreshAttributes() {
    if (windows().Form8) windows().Form8->N1Click();
}

void commitAttributes() {
    if (windows().Form8) windows().Form8->N2Click();
}

bool selectPaletteColor(int n) {
    if (!windows().Form4) return false;
    windows().Form4->selectColorCell(n);
    return true;
}

void currentColorChanged() {
    if (windows().Form1) windows().Form1->followCurrentColor();
}

void loadBackgroundMusic(const project::RegionAttributes& attrs) {
    if (windows().Form9) windows().Form9->loadBackgroundMusic(attrs);
}

void storeBackgroundMusic(project::RegionAttributes& attrs) {
    if (windows().Form9) windows().Form9->storeBackgroundMusic(attrs);
}

publish::EffectSettings effectSettings() {
    if (windows().Form11) return windows().Form11->effectSettings();
    return {};
}

std::function<void(publish::PublishReporter&)>
mediaPass(const publish::ExportSettings& settings, const project::ProjectState& state,
          std::function<void(const std::string&)> progressLine) {
    return [settings, &state, progressLine](publish::PublishReporter& reporter) {
        publish::QtProcessRunner runner(windows().Form1, progressLine);
        publish::runMediaPass(
            state.myAttrs, state.imagePath, settings, runner, reporter,
            [&runner](const publish::ConversionProgress& p) { runner.showProgress(p); });
    };
}

} // namespace app::hooks
