#include "app/command_line_qt.h"

#include "app/window_hooks_qt.h"
#include "editors/music_volume.h"
#include "project/project_loader_qt.h"
#include "publish/export_settings.h"
#include "publish/publisher.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>
#include <string>

namespace app {

namespace {

class ConsoleReporter : public publish::PublishReporter {
  public:
    void info(const std::string& message) override { std::printf("%s\n", message.c_str()); }
    void error(const std::string& message) override {
        std::fprintf(stderr, "%s\n", message.c_str());
    }
    void progress(const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }
};

int usage(const char* problem) {
    std::fprintf(stderr,
                 "%s\nUsage: qiv-zarim-editor --publish PICTURE [--no-effect] "
                 "[--effect-grid MMxNN] [--effect-depth N]\n",
                 problem);
    return 2;
}

bool parseWhole(const std::string& text, int low, int high, int& out) {
    if (text.empty() || text.size() > 6) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::stoi(text);
    return out >= low && out <= high;
}

} // namespace

bool isHeadlessPublish(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--publish") == 0) return true;
    return false;
}

int runHeadlessPublish(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string picture;
    publish::EffectSettings effect;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--publish" && hasValue) {
            picture = argv[++i];
        } else if (arg == "--no-effect") {
            effect.enabled = false;
        } else if (arg == "--effect-grid" && hasValue) {
            const std::string grid = argv[++i];
            const auto x = grid.find('x');
            int mm = 0, nn = 0;
            if (x == std::string::npos || !parseWhole(grid.substr(0, x), 10, 100, mm) ||
                !parseWhole(grid.substr(x + 1), 10, 100, nn))
                return usage("--effect-grid takes MMxNN with MM and NN from 10 to 100");
            effect.mm = std::to_string(mm);
            effect.nn = std::to_string(nn);
        } else if (arg == "--effect-depth" && hasValue) {
            if (!parseWhole(argv[++i], 1, 20, effect.depth))
                return usage("--effect-depth takes a whole number from 1 to 20");
        } else {
            return usage(("Unknown or incomplete argument: " + arg).c_str());
        }
    }
    if (picture.empty()) return usage("No picture given");

    const std::string exeDir = QCoreApplication::applicationDirPath().toStdString();
    const publish::ExportSettings settings =
        publish::readSettingsFile(exeDir + "/Qiv_Zarim_Editor.ini", publish::findOnPath("ffmpeg"));

    ConsoleReporter reporter;
    project::ProjectState state;
    const project::OpenOutcome opened = project::openProject(picture, state);
    if (!opened.status) {
        reporter.error(opened.status.message());
        return 1;
    }
    for (const std::string& message : opened.errors)
        reporter.error(message);
    for (const std::string& message : opened.warnings)
        reporter.error(message);
    // The background values as a fresh program's background music window would leave them after
    // opening the picture and saving it: the volume limited and set on the slider's hundredths,
    // the loop flag "1" or "0".
    editors::settleBackgroundMusic(state.myAttrs);

    publish::PublishOptions options;
    options.templateDir = exeDir + "/template";
    options.effect = effect;
    publish::PublishHooks publishHooks;
    publishHooks.mediaPass = hooks::mediaPass(
        settings, state, [&reporter](const std::string& line) { reporter.progress(line); });
    return publish::publishProject(state, options, publishHooks, reporter) ? 0 : 1;
}

} // namespace app
