#pragma once

// The player control that a page view hosts in place of a media player object: play/pause and stop
// buttons, a seekable position slider, the elapsed and total time, the current item and, when
// asked, a status line, over a MediaPipeline that does the playing. Everything runs on the UI
// thread; the pipeline's threads rule applies beneath it.

#include "platform/media/media_pipeline.h"
#include "platform/media/object_params.h"

#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

namespace lanseek::platform {

class MediaPlayerControl : public QWidget
{
    Q_OBJECT
public:
    using State = MediaPipeline::State;

    explicit MediaPlayerControl(QWidget* parent = nullptr);
    ~MediaPlayerControl() override;

    // A control configured from an object's parameters. When they ask for autostart, playing begins
    // once the event loop runs, so that the caller can connect to the signals first.
    static MediaPlayerControl* fromObjectParams(const ObjectParams& params, QWidget* parent = nullptr);
    void applySettings(const PlayerObjectSettings& settings);

    // Names what to play (a value as a page writes it); stops what is playing. Does not start.
    void setSource(const QString& value);
    QString source() const;
    QUrl sourceUrl() const;

    void setStatusBarVisible(bool visible);
    bool isStatusBarVisible() const;

    // The audio output; see MediaPipeline::setAudioSink.
    void setAudioSink(const QString& description);

    void play();
    void pause();
    void stop();
    void seek(qint64 positionMs);

    // What the pipeline reports, as it reports it.
    State state() const { return m_pipeline.state(); }
    int currentIndex() const { return m_pipeline.currentIndex(); } // -1 before the first item starts
    int itemCount() const { return m_pipeline.itemCount(); }       // 0 until the source has been read
    qint64 positionMs() const { return m_pipeline.positionMs(); }
    qint64 durationMs() const { return m_pipeline.durationMs(); } // -1 when unknown
    QString statusText() const { return m_pipeline.statusText(); }
    QString titleText() const;

    MediaPipeline& pipeline() { return m_pipeline; }

signals:
    void itemChanged(int index);
    void stateChanged(lanseek::platform::MediaPipeline::State state);
    void errorOccurred(const QString& message);
    // The first audio buffer of the item just started has reached the audio sink.
    void firstBufferReached();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildUi();
    void updatePosition();
    void updateButtons();
    void updateStatus();
    void updateTitleLabel();

    MediaPipeline m_pipeline;
    bool m_statusBarVisible = false;
    bool m_userSeeking = false;

    QToolButton* m_playButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_timeLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
};

} // namespace lanseek::platform
