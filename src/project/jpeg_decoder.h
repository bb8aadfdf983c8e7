#pragma once
// JPEG decoding straight into a 24-bit raster with libjpeg-turbo's TurboJPEG interface: no
// intermediate picture, no conversion pass. The pixels are those of the library's standard
// decoder (accurate integer IDCT, smooth upsampling), which Qt's JPEG reader uses as well.

#include "common/raster.h"

#include <cstddef>
#include <cstdint>

namespace project {

// Decodes the JPEG in `data` into `picture`. False, with `picture` unchanged, when the bytes are
// no JPEG the library decodes cleanly into RGB: not a JPEG, colours in CMYK or YCCK, any error
// and also any warning (a damaged file the library could only partly repair), or no memory for
// the raster. The caller then decodes the file another way.
bool decodeJpegBytes(const std::uint8_t* data, std::size_t size, common::Raster& picture);

} // namespace project
