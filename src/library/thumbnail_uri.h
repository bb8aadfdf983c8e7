#pragma once
// The name of a file in the desktop's shared thumbnail cache is the MD5 of its URI, so the URI
// must be written byte for byte as file managers write it for the cache to be shared.

#include <string>

namespace library {

// "file://" + `absolutePath` (UTF-8), each byte other than A-Z a-z 0-9 - . _ ~ ! $ & ' ( ) * + , ;
// = : @ / written as "%XX" with upper-case hex digits.
std::string fileUri(const std::string& absolutePath);

} // namespace library
