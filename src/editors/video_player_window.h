#pragma once

#include <QString>
#include <QWidget>

class QAudioOutput;
class QMediaPlayer;
class QVideoWidget;

namespace editors {

// Video preview window
// A top-level window of its own that plays one video file through Qt Multimedia, sized to the
// video. The attribute window opens and stops it; closing it by its frame stops it too and is
// announced, so that the opener can follow.
class VideoPlayerWindow : public QWidget {
    Q_OBJECT
  public:
    // `parent` owns the window; it is shown as a window of its own nevertheless.
    explicit VideoPlayerWindow(QWidget* parent = nullptr);
    ~VideoPlayerWindow() override;

    // Opens `path` and plays it in this window, shown. False when the player cannot open the
    // file; `error` then holds the player's own text and the window stays hidden.
    bool play(const QString& path, QString& error);
    // Stops the playback, closes the file and hides the window. Does nothing when idle.
    void stop();
    // A file is open (playing, or ended on its last frame).
    bool isOpen() const { return m_open; }

  signals:
    // The player failed after play() had returned true; the window is stopped already.
    void failed(const QString& message);
    // The user closed the window by its frame; the window is stopped already.
    void closedByUser();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void onError(const QString& message);
    void fitToVideo(const QSize& size);

    QMediaPlayer* m_player = nullptr;
    QVideoWidget* m_video = nullptr;
    QAudioOutput* m_audio = nullptr;
    bool m_open = false;
    bool m_opening = false;
    bool m_openFailed = false;
    QString m_openError;
};

} // namespace editors
