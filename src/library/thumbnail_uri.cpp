#include "library/thumbnail_uri.h"

#include <cstring>

namespace library {

std::string fileUri(const std::string& absolutePath) {
    static const char hex[] = "0123456789ABCDEF";
    static const char kept[] = "-._~!$&'()*+,;=:@/";
    std::string uri = "file://";
    uri.reserve(uri.size() + absolutePath.size());
    for (const char ch : absolutePath) {
        const auto byte = static_cast<unsigned char>(ch);
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || (byte != 0 && std::strchr(kept, ch));
        if (plain) {
            uri += ch;
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 0xF];
        }
    }
    return uri;
}

} // namespace library
