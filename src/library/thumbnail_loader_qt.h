#pragma once

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <deque>
#include <vector>

class QFileInfo;

namespace library {

// Thumbnails of the picture grid, made on worker threads.
// A thumbnail is the picture reduced to its place in a grid cell (thumbnailPlace), composed
// over white. It comes from the desktop's shared thumbnail cache when that holds a current one
// for the file (same URI and modification time); otherwise the file is decoded at reduced size
// and the result is stored in that cache for the next opening and for other programs. Made
// thumbnails stay in a memory cache bounded in bytes and keyed by path, size and modification
// time, so a file that changes is made again.
// Every call and the thumbnailReady signal belong to the thread that owns the loader.
class ThumbnailLoader : public QObject {
    Q_OBJECT
  public:
    struct Thumbnail {
        // Exactly the size of the thumbnail's place; null when it failed or a side is 0.
        QImage image;
        // The picture's own size.
        int pictureWidth = 0;
        int pictureHeight = 0;
        // The file could not be decoded.
        bool failed = false;
    };

    // `sharedCacheFolder`: the shared cache's folder of 128-pixel thumbnails; empty for none.
    explicit ThumbnailLoader(QString sharedCacheFolder, QObject* parent = nullptr);
    // Drops what is queued and waits for the thumbnails being made.
    ~ThumbnailLoader() override;

    // "$XDG_CACHE_HOME/thumbnails/normal" ("~/.cache" when the variable is not set).
    static QString defaultSharedCacheFolder();

    // The thumbnail of `file` as the file is now, or null while it is being made: it is then
    // queued, the files asked for last first, and thumbnailReady follows. The pointer is valid
    // until the next call.
    const Thumbnail* thumbnail(const QFileInfo& file);

    // Nothing is queued or being made.
    bool isIdle() const { return m_states.isEmpty(); }
    // Pictures decoded from their own files so far (not from the shared cache).
    int decodedCount() const { return m_decoded.load(); }
    void setMemoryLimit(qint64 bytes);
    qint64 memoryUsed() const { return m_cache.totalCost(); }

  signals:
    void thumbnailReady(const QString& path);

  private:
    struct Job {
        QString path;
        QString key;
        qint64 fileSize = 0;
        qint64 modified = 0; // seconds since the epoch
        quint64 sequence = 0;
    };
    struct State {
        quint64 sequence = 0; // of the latest queued copy of the job
        bool running = false;
    };

    void scheduleFlush();
    void flush();
    void startJobs();
    void finished(const QString& key, const QString& path, const Thumbnail& thumbnail);

    QString m_sharedCacheFolder;
    QCache<QString, Thumbnail> m_cache;
    QHash<QString, State> m_states;
    std::vector<Job> m_batch;
    std::deque<Job> m_queue;
    quint64 m_sequence = 0;
    int m_running = 0;
    int m_maxRunning = 1;
    bool m_flushScheduled = false;
    std::atomic<int> m_decoded{0};
    QThreadPool m_pool;
};

} // namespace library
