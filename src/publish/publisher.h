#pragma once
// The publishing sequence run by "Сохранить": project files, data block, page and script from
// the templates, style sheet, media pass. Shared by the main window and the command-line mode;
// the caller decides how messages reach the user. Runs on the calling thread to its end.

#include "publish/brightness.h"

#include <functional>
#include <string>

namespace project {
struct ProjectState;
}

namespace publish {

struct PublishOptions {
    std::string templateDir; // folder holding index.html, index.js and qiv_zarim.css
    EffectSettings effect;
};

// Where the sequence's messages go.
class PublishReporter {
  public:
    virtual ~PublishReporter() = default;
    // A plain message: "Данные сохранены!", "Нечего сохранять!", the media pass's messages.
    virtual void info(const std::string& message) = 0;
    // A failure that ends the sequence, with the system's own text naming the file.
    virtual void error(const std::string& message) = 0;
};

// Steps filled in by windows or later parts; an empty hook is skipped.
struct PublishHooks {
    std::function<void()> commitPendingEdits;        // attribute window's N2Click
    std::function<void()> storeBackgroundMusic;      // background music window → table
    std::function<void(PublishReporter&)> mediaPass; // media conversion into "qiv_zarim"
};

// Names of the outputs for the picture at `imagePath`.
std::string pageFolderOf(const std::string& imagePath); // the picture's folder, "." for a bare name
std::string pageNameOf(const std::string& imagePath);   // file name of project::projectBaseOf

// Runs the sequence. True when it ran to its end ("Данные сохранены!" shown); false when there
// was nothing to save or a step failed (files of earlier steps stay). Sets the table's rowCount.
bool publishProject(project::ProjectState& state, const PublishOptions& options,
                    const PublishHooks& hooks, PublishReporter& reporter);

} // namespace publish
