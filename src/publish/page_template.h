#pragma once
// Page and script templates: read in the encoding named by their byte order mark (UTF-8,
// UTF-16 LE or BE; Windows-1251 without one), placeholders filled, written back in the same
// encoding with the same mark.

#include "common/status.h"
#include "common/text_codec.h"

#include <string>

namespace publish {

struct PageTemplate {
    std::string text; // UTF-8, every line break made CR LF; the last line as in the file
    common::TextEncoding encoding = common::TextEncoding::Cp1251;
};

// Decodes template bytes. Fails only on UTF-16 that cannot be decoded.
common::Status parseTemplate(const std::string& bytes, PageTemplate& out);

// Reads and decodes the template at `path`; the error message names the file.
common::Status readTemplate(const std::string& path, PageTemplate& out);

// Every "[FILENAME]" replaced by `fileName`, then every "[NAME]" by `name`.
std::string fillNamePlaceholders(const std::string& text, const std::string& fileName,
                                 const std::string& name);

// The page: names filled in.
std::string fillPageTemplate(const std::string& text, const std::string& fileName,
                             const std::string& name);

// The script: names filled in, then "[DATA]" on the whole text, then "[EFFECT]" (so a
// "[NAME]" inside the data stays, an "[EFFECT]" inside it is replaced too). `effect` keeps its
// own line breaks.
std::string fillScriptTemplate(const std::string& text, const std::string& fileName,
                               const std::string& name, const std::string& data,
                               const std::string& effect);

// The filled text in the template's encoding, with its byte order mark.
std::string encodeTemplateOutput(const std::string& text, common::TextEncoding encoding);

} // namespace publish
