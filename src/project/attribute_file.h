#pragma once
// The ".zarm" attribute file: UTF-8 text with a byte order mark, CR LF line ends, one line of
// 51 TAB-separated fields per colour up to the last colour in use, then the background line.

#include "common/status.h"
#include "project/region_attributes.h"

#include <string>

namespace project {

// The file's bytes for `attrs`; sets attrs.rowCount to the number of colour lines. A TAB or a
// line break inside a value is written as one space, so every colour line has 51 fields.
std::string attributeFileText(RegionAttributes& attrs);

// Writes the file atomically and sets attrs.rowCount (kept as it was when the write fails).
common::Status writeAttributeFile(const std::string& path, RegionAttributes& attrs);

// Parses the bytes of an attribute file (UTF-8 or UTF-16 by byte order mark; without one,
// UTF-8 when the bytes are valid UTF-8, else Windows-1251) into `attrs`, cleared first, and sets
// attrs.rowCount to the number of colour lines, at most 200 (further colour lines are ignored).
// Lines end with CR LF, CR or LF; a final line break does not start another line. An empty file
// gives rowCount 0 and no error.
common::Status parseAttributeFile(const std::string& bytes, RegionAttributes& attrs);

// Reads the file at `path` into `attrs`. On a read failure the table stays cleared.
common::Status readAttributeFile(const std::string& path, RegionAttributes& attrs);

} // namespace project
