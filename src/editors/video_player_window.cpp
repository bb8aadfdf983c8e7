#include "editors/video_player_window.h"

#include <QAudioOutput>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>
#include <QVideoSink>
#include <QVideoWidget>

namespace editors {

namespace {

// The window's size while the video's own size is not known (sound-only files, for instance).
constexpr QSize kFallbackSize(320, 240);

} // namespace

VideoPlayerWindow::VideoPlayerWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("VideoPlayerWindow");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_video = new QVideoWidget(this);
    m_video->setObjectName("VideoWidget");
    layout->addWidget(m_video);
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    m_player->setVideoOutput(m_video);
    resize(kFallbackSize);

    connect(m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& message) { onError(message); });
    connect(m_player, &QMediaPlayer::metaDataChanged, this, [this] {
        fitToVideo(m_player->metaData().value(QMediaMetaData::Resolution).toSize());
    });
    // The sink announces a new size on the rendering thread while it holds its own lock: reading
    // the size there would deadlock, so the step always runs later on this window's thread.
    connect(
        m_video->videoSink(), &QVideoSink::videoSizeChanged, this,
        [this] { fitToVideo(m_video->videoSink()->videoSize()); }, Qt::QueuedConnection);
}

VideoPlayerWindow::~VideoPlayerWindow() {
    m_player->disconnect(this);
    m_player->stop();
}

bool VideoPlayerWindow::play(const QString& path, QString& error) {
    stop();
    m_openFailed = false;
    m_openError.clear();
    // Backends that open the file at once report a failure during setSource; others report
    // it later through failed().
    m_opening = true;
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    m_opening = false;
    if (m_openFailed || m_player->mediaStatus() == QMediaPlayer::InvalidMedia) {
        error = m_openError.isEmpty() ? m_player->errorString() : m_openError;
        if (error.isEmpty()) error = "Не удалось открыть файл";
        m_player->setSource(QUrl());
        return false;
    }
    m_open = true;
    setWindowTitle(QFileInfo(path).fileName());
    show();
    raise();
    m_player->play();
    return true;
}

void VideoPlayerWindow::stop() {
    if (!m_open) return;
    m_open = false;
    m_player->stop();
    m_player->setSource(QUrl());
    hide();
}

void VideoPlayerWindow::onError(const QString& message) {
    if (m_opening) {
        m_openFailed = true;
        m_openError = message;
        return;
    }
    if (!m_open) return;
    // Not inside the player's own signal: stopping it there would re-enter it.
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            if (!m_open) return;
            stop();
            emit failed(message);
        },
        Qt::QueuedConnection);
}

void VideoPlayerWindow::fitToVideo(const QSize& size) {
    if (!m_open || !size.isValid() || size.isEmpty()) return;
    QSize wanted = size;
    if (const QScreen* s = screen()) {
        // A video larger than the screen is shown smaller, its proportions kept.
        const QSize room = s->availableSize();
        if (wanted.width() > room.width() || wanted.height() > room.height())
            wanted.scale(room, Qt::KeepAspectRatio);
    }
    resize(wanted);
}

void VideoPlayerWindow::closeEvent(QCloseEvent* event) {
    const bool wasOpen = m_open;
    stop();
    event->accept();
    if (wasOpen) emit closedByUser();
}

} // namespace editors
