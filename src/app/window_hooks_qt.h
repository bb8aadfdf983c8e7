#pragma once
// The calls from one window into another, in one place. Each is safe while the window it
// needs does not exist (single-window tests, headless publishing): it then does nothing or
// gives the start value.

#include "publish/brightness.h"

#include <functional>
#include <string>

namespace project {
class RegionAttributes;
struct ProjectState;
} // namespace project
namespace publish {
struct ExportSettings;
class PublishReporter;
} // namespace publish

namespace app::hooks {

void showPalette();
void showPaletteAt(int x, int y);
void showBackgroundMusic();
void showExportSettings();
void showBrightness();

// The attribute window's refresh (N1Click) and store (N2Click).
void refreshAttributes();
void commitAttributes();

// The palette window selects index n (committing and refreshing the attribute window).
// False when there is no palette window.
bool selectPaletteColor(int n);
// The current colour may have changed: the main window's third view follows it.
void currentColorChanged();

// The background music window's controls from / into the table's three trailing members.
void loadBackgroundMusic(const project::RegionAttributes& attrs);
void storeBackgroundMusic(project::RegionAttributes& attrs);

publish::EffectSettings effectSettings();

// The media conversion step of publishing for the project in `state` (read when the step
// runs), with a copy of `settings`. Over the main window it shows a progress dialog; without
// one, each converter run is announced through `progressLine` (may be empty).
std::function<void(publish::PublishReporter&)>
mediaPass(const publish::ExportSettings& settings, const project::ProjectState& state,
          std::function<void(const std::string&)> progressLine = {});

} // namespace app::hooks
