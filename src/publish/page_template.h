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

// Templates are filled in one pass over their own text: what a placeholder brought in is
// never scanned for placeholders again.

// `name` as text of an HTML page ("&", "<", ">", quotes as character references).
std::string escapeHtml(const std::string& name);
// `name` as one URL path segment: every byte except A-Z a-z 0-9 "-" "_" "." "~" as %XX.
std::string percentEncode(const std::string& name);

// The page: each "[FILENAME]" (the picture's file name) and "[NAME]" (the page's name) filled
// so that any file name works. Inside the quoted or bare value of a URL attribute ("src",
// "href", ...) a name is percent-encoded, anywhere else it is escaped for HTML.
std::string fillPageTemplate(const std::string& text, const std::string& fileName,
                             const std::string& name);

// The script: "[FILENAME]" and "[NAME]" as the text of a quoted script string (backslash,
// both quotes and line breaks escaped), "[DATA]" and "[EFFECT]" as they are. `effect` keeps
// its own line breaks.
std::string fillScriptTemplate(const std::string& text, const std::string& fileName,
                               const std::string& name, const std::string& data,
                               const std::string& effect);

// The filled text in the template's encoding, with its byte order mark.
std::string encodeTemplateOutput(const std::string& text, common::TextEncoding encoding);

} // namespace publish
