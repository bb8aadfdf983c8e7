#pragma once
// Whole-file reading and crash-safe writing.

#include "common/status.h"

#include <string>

namespace common {

// Reads the whole file into `bytes`.
Status readFileBytes(const std::string& path, std::string& bytes);

// Writes `bytes` to a temporary file in the same folder, flushes it to disk and renames it over
// `path`, so a failure never leaves a half-written file: the old file stays whole.
Status writeFileAtomically(const std::string& path, const std::string& bytes);

// Byte copy of `from` to `to`, replacing `to`; written atomically.
Status copyFileBytes(const std::string& from, const std::string& to);

bool fileExists(const std::string& path);

} // namespace common
