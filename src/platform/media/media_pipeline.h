#pragma once

// The playback engine without a widget: what a player object plays — a file, a web address, or an
// ".rpm"/".ram"/".asx" list of them — through one GStreamer playbin, item after item.
//
// Threads: GStreamer reports from its streaming threads through a bus sync handler that only posts
// the message to the UI thread (queued call); every state change happens on the UI thread. Lists
// are read, and failed web items are checked, on short-lived helper threads whose results are
// posted back the same way. No GLib main loop is needed.

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace lanseek::platform {

class MediaPipeline : public QObject
{
    Q_OBJECT
public:
    enum class State { Stopped, Loading, Playing, Paused };
    Q_ENUM(State)

    explicit MediaPipeline(QObject* parent = nullptr);
    ~MediaPipeline() override;

    // Names what to play (a value as a page writes it); stops what is playing. Does not start.
    void setSource(const QString& value);
    QString source() const;
    QUrl sourceUrl() const;

    // The audio output: a GStreamer element name or a bin description ("fakesink",
    // "audioconvert ! pulsesink"). Without it the pipeline uses LANSEEK_AUDIO_SINK when set and the
    // platform's automatic choice otherwise. Takes effect with the next item.
    void setAudioSink(const QString& description);

    // The output's loudness as a linear factor: 1 is the item's own level, 0 silence. Values outside
    // 0 .. kMaximumVolume are brought to the nearest end. Kept across items and sources.
    static constexpr double kMaximumVolume = 10.0;
    void setVolume(double linear);
    double volume() const;

    void play();
    void pause();
    void stop();
    void seek(qint64 positionMs);
    // Plays once the event loop runs, unless play, pause, stop or a new source comes first, so that
    // whoever set the pipeline up can connect to its signals before anything happens.
    void playSoon();

    State state() const;
    // Playing, or on the way to playing (the play button then offers pause).
    bool isRunning() const;
    int currentIndex() const; // -1 before the first item starts
    int itemCount() const;    // 0 until the source has been read
    QUrl currentUrl() const;  // the current item's address; empty before the first item
    qint64 positionMs() const;
    qint64 durationMs() const; // -1 when unknown
    QString statusText() const;
    QString title() const;     // the current item's own title, when its tags carry one
    QString lastError() const; // the last failure's text, until a new source or start

signals:
    void stateChanged(lanseek::platform::MediaPipeline::State state);
    void itemChanged(int index);
    void positionChanged(qint64 positionMs);
    void durationChanged(qint64 durationMs);
    void statusChanged(const QString& text);
    void titleChanged(const QString& title);
    void volumeChanged(double linear);
    // A seek was asked for and sent to the stream: the position jumps to `positionMs`.
    void seeked(qint64 positionMs);
    void errorOccurred(const QString& message);
    // The first audio buffer of the item just started has reached the audio sink.
    void firstBufferReached();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace lanseek::platform
