#include "project/picture_decoder_qt.h"

#include "common/helpers.h"

#include <QImage>
#include <QImageReader>
#include <QPainter>

#include <cstring>

namespace project {

namespace {

QByteArray formatForExtension(const std::string& path) {
    std::string ext = common::extensionOf(path);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    if (ext == ".PNG") return "png";
    if (ext == ".JPG" || ext == ".JPEG") return "jpeg";
    if (ext == ".GIF") return "gif";
    return {};
}

} // namespace

common::Raster rasterFromImage(const QImage& image) {
    QImage rgb;
    if (image.hasAlphaChannel()) {
        rgb = QImage(image.size(), QImage::Format_RGB888);
        rgb.fill(Qt::white);
        QPainter painter(&rgb);
        painter.drawImage(0, 0, image);
    } else {
        rgb = image.convertToFormat(QImage::Format_RGB888);
    }
    common::Raster raster(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(raster.row(y), rgb.constScanLine(y), std::size_t(rgb.width()) * 3);
    return raster;
}

common::Status decodePicture(const std::string& path, common::Raster& picture) {
    const QString file = QString::fromStdString(path);
    const QByteArray format = formatForExtension(path);
    // Pictures of any size: lift Qt's default allocation limit.
    QImageReader::setAllocationLimit(0);
    QImageReader reader(file, format);
    if (format.isEmpty()) reader.setDecideFormatFromContent(true);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return common::Status::failure("Не удалось открыть изображение \"" + path +
                                       "\": " + reader.errorString().toStdString());
    }
    picture = rasterFromImage(image);
    return common::Status::success();
}

} // namespace project
