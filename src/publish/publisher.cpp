#include "publish/publisher.h"

#include "common/file_io.h"
#include "common/helpers.h"
#include "project/attribute_file.h"
#include "project/map_file.h"
#include "project/project_state.h"
#include "publish/data_script.h"
#include "publish/page_template.h"

namespace publish {

namespace {

bool reportFailure(const common::Status& status, PublishReporter& reporter) {
    if (status) return false;
    reporter.error(status.message());
    return true;
}

} // namespace

std::string pageFolderOf(const std::string& imagePath) {
    // directoryOf gives the whole path when there is no folder part; the page then belongs in
    // the current folder, not inside a folder named after the picture.
    if (imagePath.find('/') == std::string::npos) return ".";
    return common::directoryOf(imagePath);
}

std::string pageNameOf(const std::string& imagePath) {
    return common::fileNameOf(project::projectBaseOf(imagePath));
}

bool publishProject(project::ProjectState& state, const PublishOptions& options,
                    const PublishHooks& hooks, PublishReporter& reporter) {
    if (!state.imageLoaded) {
        reporter.info("Нечего сохранять!");
        return false;
    }
    if (hooks.commitPendingEdits) hooks.commitPendingEdits();

    const std::string mapPath = project::mapFilePath(state.imagePath);
    if (reportFailure(project::setAsideUnreadable(state, mapPath), reporter) ||
        reportFailure(project::writeMapFile(mapPath, state.colorMap), reporter))
        return false;

    if (hooks.storeBackgroundMusic) hooks.storeBackgroundMusic();

    const std::string attrPath = project::attributeFilePath(state.imagePath);
    if (reportFailure(project::setAsideUnreadable(state, attrPath), reporter) ||
        reportFailure(project::writeAttributeFile(attrPath, state.myAttrs), reporter))
        return false;

    const std::string data =
        BuildDataScript(state.myAttrs, state.imageWidth, state.imageHeight, state.colorMap);

    const std::string folder = pageFolderOf(state.imagePath);
    const std::string fileName = common::fileNameOf(state.imagePath);
    const std::string name = pageNameOf(state.imagePath);

    PageTemplate page;
    if (reportFailure(readTemplate(options.templateDir + "/index.html", page), reporter))
        return false;
    if (reportFailure(
            common::writeFileAtomically(
                folder + "/" + name + ".html",
                encodeTemplateOutput(fillPageTemplate(page.text, fileName, name), page.encoding)),
            reporter))
        return false;

    PageTemplate script;
    if (reportFailure(readTemplate(options.templateDir + "/index.js", script), reporter))
        return false;
    std::string effect;
    if (reportFailure(BuildEffectScript(options.effect, state.sourceImage, effect), reporter))
        return false;
    if (reportFailure(
            common::writeFileAtomically(
                folder + "/zarm_" + name + ".js",
                encodeTemplateOutput(fillScriptTemplate(script.text, fileName, name, data, effect),
                                     script.encoding)),
            reporter))
        return false;

    // A missing or uncopyable style sheet is deliberately not reported: the page still works.
    (void)common::copyFileBytes(options.templateDir + "/qiv_zarim.css", folder + "/qiv_zarim.css");

    if (hooks.mediaPass) hooks.mediaPass(reporter);

    reporter.info("Данные сохранены!");
    return true;
}

} // namespace publish
