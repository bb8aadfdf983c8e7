#include "project/picture_decoder_qt.h"

#include "common/file_io.h"
#include "common/helpers.h"
#include "project/jpeg_decoder.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstdint>
#include <cstring>
#include <new>

namespace project {

QByteArray formatForExtension(const std::string& path) {
    std::string ext = common::extensionOf(path);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (ext == ".PNG") return "png";
    if (ext == ".JPG" || ext == ".JPEG") return "jpeg";
    if (ext == ".GIF") return "gif";
    return {};
}

common::Raster rasterFromImage(const QImage& image) {
    const int w = image.width(), h = image.height();
    common::Raster raster(w, h);
    if (image.hasAlphaChannel()) {
        // The raster's rows are laid out as a QImage's of RGB888: paint into them in place.
        QImage canvas(raster.data(), w, h, qsizetype(raster.stride()), QImage::Format_RGB888);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        painter.drawImage(0, 0, image);
    } else if (image.format() == QImage::Format_RGB888) {
        for (int y = 0; y < h; ++y)
            std::memcpy(raster.row(y), image.constScanLine(y), std::size_t(w) * 3);
    } else if (image.format() == QImage::Format_RGB32) {
        for (int y = 0; y < h; ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            std::uint8_t* out = raster.row(y);
            for (int x = 0; x < w; ++x, out += 3) {
                out[0] = std::uint8_t(qRed(in[x]));
                out[1] = std::uint8_t(qGreen(in[x]));
                out[2] = std::uint8_t(qBlue(in[x]));
            }
        }
    } else {
        const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < h; ++y)
            std::memcpy(raster.row(y), rgb.constScanLine(y), std::size_t(w) * 3);
    }
    return raster;
}

common::Status decodePicture(const std::string& path, common::Raster& picture) {
    const QString file = QString::fromStdString(path);
    const QByteArray format = formatForExtension(path);
    // JPEGs are decoded by libjpeg-turbo straight into the raster; Qt's reader, which would
    // give the same pixels through a 32-bit picture, takes whatever that refuses.
    if (format == "jpeg" || format.isEmpty()) {
        std::string bytes;
        if (common::readFileBytes(path, bytes) &&
            decodeJpegBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                            picture))
            return common::Status::success();
    }
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzing builds refuse what each run could not afford (Qt's own refusal path): over 1 MB,
    // 2^18 pixels of 32 bits.
    QImageReader::setAllocationLimit(1);
#else
    // Pictures of any size: lift Qt's default allocation limit.
    QImageReader::setAllocationLimit(0);
#endif
    QImageReader reader(file, format);
    if (format.isEmpty()) reader.setDecideFormatFromContent(true);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return common::Status::failure("Не удалось открыть изображение \"" + path +
                                       "\": " + reader.errorString().toStdString());
    }
    try {
        picture = rasterFromImage(image);
    } catch (const std::bad_alloc&) {
        return common::Status::failure("Не удалось открыть изображение \"" + path +
                                       "\": недостаточно памяти");
    }
    return common::Status::success();
}

} // namespace project
