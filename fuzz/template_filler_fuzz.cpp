// The template filler: any template bytes and any names. A name never adds markup or quotes
// to the page, and what a placeholder brought in is never filled again.
#include "publish/page_template.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>

namespace {

std::size_t countOf(const std::string& s, char c) {
    return std::size_t(std::count(s.begin(), s.end(), c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string fileName = in.ConsumeRandomLengthString(64);
    const std::string name = in.ConsumeRandomLengthString(64);
    const std::string dataBlock = in.ConsumeRandomLengthString(128);
    const std::string effect = in.ConsumeRandomLengthString(64);
    const std::string bytes = in.ConsumeRemainingBytesAsString();

    publish::PageTemplate t;
    if (!publish::parseTemplate(bytes, t)) return 0;
    const std::string page = publish::fillPageTemplate(t.text, fileName, name);
    for (char c : {'<', '>', '"', '\'', '&'}) {
        // "&" may grow (character references); the others only come from the template.
        if (c == '&') continue;
        if (countOf(page, c) != countOf(t.text, c)) std::abort();
    }
    const std::string script =
        publish::fillScriptTemplate(t.text, fileName, name, dataBlock, effect);
    (void)publish::encodeTemplateOutput(page, t.encoding);
    (void)publish::encodeTemplateOutput(script, t.encoding);

    // A template of only placeholders: the values come out side by side, untouched.
    if (publish::fillScriptTemplate("[DATA][EFFECT]", fileName, name, dataBlock, effect) !=
        dataBlock + effect)
        std::abort();
    return 0;
}
