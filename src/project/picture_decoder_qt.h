#pragma once
// Decoding of JPEG, PNG and GIF pictures into 24-bit rasters: JPEG by libjpeg-turbo straight
// into the raster, everything else (and any JPEG that refuses) by Qt's image readers.

#include "common/raster.h"
#include "common/status.h"

#include <string>

class QByteArray;
class QImage;

namespace project {

// Decodes the picture at `path`: by its extension (".JPG", ".JPEG", ".PNG", ".GIF", any case),
// or by its content when the extension is none of these; the first frame of a GIF. Transparent
// pixels are composed over white. On failure `picture` is left unchanged.
common::Status decodePicture(const std::string& path, common::Raster& picture);

// Qt's reader format for a picture path's extension ("png", "jpeg", "gif", any case), or
// empty for any other extension, so that the reader looks at the content.
QByteArray formatForExtension(const std::string& path);

// Conversion of a decoded QImage (any format) to a raster, transparent pixels over white.
common::Raster rasterFromImage(const QImage& image);

} // namespace project
