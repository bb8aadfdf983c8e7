#include "publish/page_template.h"

#include "common/file_io.h"
#include "common/helpers.h"

namespace publish {

common::Status parseTemplate(const std::string& bytes, PageTemplate& out) {
    common::DecodedText decoded;
    if (common::Status s = common::decodeText(bytes, decoded); !s) return s;
    out.text = common::normalizeLineBreaksToCrLf(decoded.utf8);
    out.encoding = decoded.encoding;
    return common::Status::success();
}

common::Status readTemplate(const std::string& path, PageTemplate& out) {
    std::string bytes;
    if (common::Status s = common::readFileBytes(path, bytes); !s) return s;
    if (common::Status s = parseTemplate(bytes, out); !s)
        return common::Status::failure(s.message() + " \"" + path + "\"");
    return common::Status::success();
}

// Replacing over the whole text gives the same result as line by line: no placeholder spans
// a line break.
std::string fillNamePlaceholders(const std::string& text, const std::string& fileName,
                                 const std::string& name) {
    return common::replaceAll(common::replaceAll(text, "[FILENAME]", fileName), "[NAME]", name);
}

std::string fillPageTemplate(const std::string& text, const std::string& fileName,
                             const std::string& name) {
    return fillNamePlaceholders(text, fileName, name);
}

std::string fillScriptTemplate(const std::string& text, const std::string& fileName,
                               const std::string& name, const std::string& data,
                               const std::string& effect) {
    const std::string named = fillNamePlaceholders(text, fileName, name);
    return common::replaceAll(common::replaceAll(named, "[DATA]", data), "[EFFECT]", effect);
}

std::string encodeTemplateOutput(const std::string& text, common::TextEncoding encoding) {
    return common::encodeText(text, encoding);
}

} // namespace publish
