#include "library/thumbnail_loader_qt.h"

#include "library/library_geometry.h"
#include "library/thumbnail_uri.h"
#include "project/picture_decoder_qt.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace library {

namespace {

// Side of the shared cache's "normal" thumbnails.
constexpr int kSharedSide = 128;
// Queued requests beyond this many (the oldest) are dropped; a later paint asks again.
constexpr std::size_t kMaxQueued = 256;
constexpr qint64 kDefaultMemoryLimit = 64 * 1024 * 1024;

// The cell's thumbnail from a decoded picture of any size: reduced smoothly, enlarged by
// repeating pixels, transparent parts over white.
QImage cellImage(const QImage& picture, int pictureWidth, int pictureHeight) {
    const ThumbnailPlace place = thumbnailPlace(pictureWidth, pictureHeight);
    if (place.width <= 0 || place.height <= 0 || picture.isNull()) return {};
    QImage opaque(picture.size(), QImage::Format_RGB32);
    if (picture.hasAlphaChannel()) {
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, picture);
    } else {
        opaque = picture.convertToFormat(QImage::Format_RGB32);
    }
    if (opaque.size() == QSize(place.width, place.height)) return opaque;
    const bool reduces = place.width <= opaque.width() && place.height <= opaque.height();
    return opaque
        .scaled(place.width, place.height, Qt::IgnoreAspectRatio,
                reduces ? Qt::SmoothTransformation : Qt::FastTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QString md5Name(const QByteArray& uri) {
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
           ".png";
}

bool isLandscape(int w, int h) {
    return w > h;
}

// A current thumbnail of the shared cache, or a null image.
QImage readShared(const QString& file, const QByteArray& uri, qint64 modified, QSize& picture,
                  const QString& source) {
    QImageReader reader(file, "png");
    QImage image;
    if (!reader.read(&image) || image.isNull()) return {};
    if (image.text("Thumb::URI").toUtf8() != uri ||
        image.text("Thumb::MTime") != QString::number(modified))
        return {};
    bool wOk = false, hOk = false;
    picture = QSize(image.text("Thumb::Image::Width").toInt(&wOk),
                    image.text("Thumb::Image::Height").toInt(&hOk));
    // Thumbnails from programs that leave out the picture's size: the file's header tells it.
    if (!wOk || !hOk || picture.isEmpty())
        picture = QImageReader(source, project::formatForExtension(source.toStdString())).size();
    if (picture.isEmpty()) return {};
    // A thumbnail turned by the picture's orientation tag does not fit the unturned cell.
    if (isLandscape(image.width(), image.height()) !=
            isLandscape(picture.width(), picture.height()) &&
        image.width() != image.height())
        return {};
    return image;
}

// Writes the thumbnail into the shared cache as a temporary file renamed into place, readable
// by the user alone. Failures are deliberately silent: the cache only saves time.
void writeShared(const QString& folder, const QString& name, QImage image, const QByteArray& uri,
                 qint64 modified, qint64 fileSize, QSize picture) {
    const QString thumbnails = QFileInfo(folder).absolutePath();
    const bool madeThumbnails = !QFileInfo::exists(thumbnails);
    const bool madeFolder = !QFileInfo::exists(folder);
    if (!QDir().mkpath(folder)) return;
    constexpr auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    if (madeThumbnails) QFile::setPermissions(thumbnails, ownerOnly);
    if (madeFolder) QFile::setPermissions(folder, ownerOnly);

    image.setText("Thumb::URI", QString::fromUtf8(uri));
    image.setText("Thumb::MTime", QString::number(modified));
    image.setText("Thumb::Size", QString::number(fileSize));
    image.setText("Thumb::Image::Width", QString::number(picture.width()));
    image.setText("Thumb::Image::Height", QString::number(picture.height()));
    image.setText("Software", "Qiv Zarim Editor");
    QSaveFile file(folder + "/" + name);
    if (!file.open(QIODevice::WriteOnly)) return;
    QImageWriter writer(&file, "png");
    // Fast deflate: the files are small, and making them is on the way to the first screen.
    writer.setCompression(1);
    if (!writer.write(image)) {
        file.cancelWriting();
        return;
    }
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    file.commit();
}

ThumbnailLoader::Thumbnail makeThumbnail(const QString& path, qint64 fileSize, qint64 modified,
                                         const QString& sharedFolder, std::atomic<int>& decoded) {
    ThumbnailLoader::Thumbnail result;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QByteArray uri = QByteArray::fromStdString(fileUri(absolute.toStdString()));
    const QString name = md5Name(uri);
    // The cache's own files are never thumbnailed into it.
    const bool shared = !sharedFolder.isEmpty() &&
                        !absolute.startsWith(QFileInfo(sharedFolder).absolutePath() + "/");

    if (shared) {
        QSize picture;
        const QImage cached = readShared(sharedFolder + "/" + name, uri, modified, picture, path);
        if (!cached.isNull()) {
            result.pictureWidth = picture.width();
            result.pictureHeight = picture.height();
            result.image = cellImage(cached, picture.width(), picture.height());
            return result;
        }
    }

    ++decoded;
    const QByteArray format = project::formatForExtension(path.toStdString());
    QImageReader reader(path, format);
    if (format.isEmpty()) reader.setDecideFormatFromContent(true);
    QSize picture = reader.size();
    // Large pictures decode straight at the shared cache's size (JPEG at 1/2, 1/4 or 1/8 scale).
    const bool large = picture.width() > kSharedSide || picture.height() > kSharedSide;
    if (picture.isValid() && large) {
        QSize reduced = picture.scaled(kSharedSide, kSharedSide, Qt::KeepAspectRatio);
        reduced = reduced.expandedTo(QSize(1, 1));
        reader.setScaledSize(reduced);
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        result.failed = true;
        return result;
    }
    if (!picture.isValid()) picture = image.size();
    result.pictureWidth = picture.width();
    result.pictureHeight = picture.height();
    result.image = cellImage(image, picture.width(), picture.height());
    // Pictures that fit the cache's size are stored as they are, never enlarged.
    if (shared) {
        if (image.width() > kSharedSide || image.height() > kSharedSide)
            image = image.scaled(kSharedSide, kSharedSide, Qt::KeepAspectRatio,
                                 Qt::SmoothTransformation);
        writeShared(sharedFolder, name, image, uri, modified, fileSize, picture);
    }
    return result;
}

} // namespace

ThumbnailLoader::ThumbnailLoader(QString sharedCacheFolder, QObject* parent)
    : QObject(parent), m_sharedCacheFolder(std::move(sharedCacheFolder)) {
    m_cache.setMaxCost(kDefaultMemoryLimit);
    // One worker per core; the user interface thread only paints what they make.
    m_maxRunning = std::clamp(QThread::idealThreadCount(), 1, 4);
    m_pool.setMaxThreadCount(m_maxRunning);
    // Pictures of any size, as the editor opens them; set here, before any worker reads.
    QImageReader::setAllocationLimit(0);
}

ThumbnailLoader::~ThumbnailLoader() {
    m_queue.clear();
    m_pool.waitForDone();
}

QString ThumbnailLoader::defaultSharedCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           "/thumbnails/normal";
}

void ThumbnailLoader::setMemoryLimit(qint64 bytes) {
    m_cache.setMaxCost(std::max<qint64>(0, bytes));
}

const ThumbnailLoader::Thumbnail* ThumbnailLoader::thumbnail(const QFileInfo& file) {
    const QString path = file.filePath();
    const qint64 size = file.size();
    const QDateTime modified = file.lastModified();
    const QString key = path + QChar(0) + QString::number(size) + QChar(0) +
                        QString::number(modified.toMSecsSinceEpoch());
    if (const Thumbnail* found = m_cache.object(key)) return found;

    auto state = m_states.find(key);
    if (state != m_states.end() && state->running) return nullptr;
    Job job{path, key, size, modified.toSecsSinceEpoch(), ++m_sequence};
    // Asked for again while queued: the new copy goes first, the old one is passed over.
    m_states[key] = State{job.sequence, false};
    m_batch.push_back(std::move(job));
    scheduleFlush();
    return nullptr;
}

void ThumbnailLoader::scheduleFlush() {
    if (m_flushScheduled) return;
    m_flushScheduled = true;
    // After the paint that asked: its cells go to the front of the queue in paint order.
    QTimer::singleShot(0, this, &ThumbnailLoader::flush);
}

void ThumbnailLoader::flush() {
    m_flushScheduled = false;
    m_queue.insert(m_queue.begin(), std::make_move_iterator(m_batch.begin()),
                   std::make_move_iterator(m_batch.end()));
    m_batch.clear();
    while (m_queue.size() > kMaxQueued) {
        const Job& oldest = m_queue.back();
        const auto state = m_states.constFind(oldest.key);
        if (state != m_states.constEnd() && !state->running && state->sequence == oldest.sequence)
            m_states.erase(state);
        m_queue.pop_back();
    }
    startJobs();
}

void ThumbnailLoader::startJobs() {
    while (m_running < m_maxRunning && !m_queue.empty()) {
        Job job = std::move(m_queue.front());
        m_queue.pop_front();
        const auto state = m_states.find(job.key);
        if (state == m_states.end() || state->running || state->sequence != job.sequence) continue;
        state->running = true;
        ++m_running;
        m_pool.start([this, job = std::move(job)] {
            Thumbnail made =
                makeThumbnail(job.path, job.fileSize, job.modified, m_sharedCacheFolder, m_decoded);
            QMetaObject::invokeMethod(
                this,
                [this, key = job.key, path = job.path, made = std::move(made)] {
                    finished(key, path, made);
                },
                Qt::QueuedConnection);
        });
    }
}

void ThumbnailLoader::finished(const QString& key, const QString& path,
                               const Thumbnail& thumbnail) {
    --m_running;
    m_states.remove(key);
    const qint64 cost = std::max<qint64>(1, thumbnail.image.sizeInBytes());
    m_cache.insert(key, new Thumbnail(thumbnail), cost);
    startJobs();
    emit thumbnailReady(path);
}

} // namespace library
