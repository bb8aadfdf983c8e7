// The ".zarm" reader on any bytes, through every encoding path (UTF-8 and UTF-16 marks, UTF-8
// without a mark, Windows-1251); what it read is written and read again.
#include "project/attribute_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    project::RegionAttributes attrs;
    if (!project::parseAttributeFile(bytes, attrs)) return 0;
    if (attrs.rowCount < 0 || attrs.rowCount > project::kColorCount) std::abort();
    const std::string text = project::attributeFileText(attrs);
    project::RegionAttributes again;
    if (!project::parseAttributeFile(text, again)) std::abort();
    if (project::attributeFileText(again) != text) std::abort();
    return 0;
}
