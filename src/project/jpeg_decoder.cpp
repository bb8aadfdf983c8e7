#include "project/jpeg_decoder.h"

#include <turbojpeg.h>

#include <limits>
#include <memory>
#include <new>

namespace project {

namespace {

struct HandleCloser {
    void operator()(void* handle) const { tjDestroy(handle); }
};

} // namespace

bool decodeJpegBytes(const std::uint8_t* data, std::size_t size, common::Raster& picture) {
    if (data == nullptr || size < 3 || data[0] != 0xFF || data[1] != 0xD8 ||
        size > std::numeric_limits<unsigned long>::max())
        return false;
    const std::unique_ptr<void, HandleCloser> handle(tjInitDecompress());
    if (!handle) return false;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), data, static_cast<unsigned long>(size), &width, &height,
                            &subsampling, &colorspace) != 0)
        return false;
    if (colorspace != TJCS_RGB && colorspace != TJCS_YCbCr && colorspace != TJCS_GRAY) return false;
    if (width <= 0 || height <= 0) return false;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzing builds leave big pictures to the reader below, which refuses them there.
    if (std::int64_t(width) * height > (std::int64_t(1) << 18)) return false;
#endif
    try {
        common::Raster decoded(width, height);
        if (decoded.stride() > std::numeric_limits<int>::max()) return false;
        if (tjDecompress2(handle.get(), data, static_cast<unsigned long>(size), decoded.data(),
                          width, int(decoded.stride()), height, TJPF_RGB,
                          TJFLAG_STOPONWARNING) != 0)
            return false;
        picture = std::move(decoded);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace project
