#pragma once

// The player control that a page view hosts in place of a media player object. It plays what the
// object's source parameter names — a file, a web address, or an ".rpm"/".ram"/".asx" list of
// them — through a GStreamer playbin, and shows play/pause and stop buttons, a seekable position
// slider, the elapsed and total time, the current item and, when asked, a status line.
//
// Threads: GStreamer reports from its streaming threads through a bus sync handler that only posts
// the message to the UI thread (queued call); every state change of the control happens on the UI
// thread. Lists are read on a short-lived helper thread whose result is posted back the same way.
// No GLib main loop is needed.

#include "platform/media/playlist_loader.h"

#include <QString>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

class QLabel;
class QSlider;
class QToolButton;
class QTimer;

namespace lanseek::platform {

// An object's <param> pairs in document order: names as written, values as written.
using ObjectParams = std::vector<std::pair<QString, QString>>;

// What an object's parameters ask of the control.
struct PlayerObjectSettings
{
    QString source;        // the SRC or fileName value, untrimmed; empty when neither is given
    bool autoStart = true; // a player object starts on its own unless AUTOSTART says otherwise
    bool showStatusBar = false;
};

// Reads SRC (the RealMedia-kind object) or fileName (the Windows-Media-kind object), AUTOSTART and
// ShowStatusBar; names compare case-insensitively and the last occurrence of a name wins.
PlayerObjectSettings playerObjectSettings(const ObjectParams& params);

// "m:ss" (minutes are not wrapped into hours); negative values read as "--:--".
QString formatPlayTime(qint64 ms);

class MediaPlayerControl : public QWidget
{
    Q_OBJECT
public:
    enum class State { Stopped, Loading, Playing, Paused };
    Q_ENUM(State)

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

    // The audio output: a GStreamer element name or a bin description ("fakesink",
    // "audioconvert ! pulsesink"). Without it the control uses LANSEEK_AUDIO_SINK when set and the
    // platform's automatic choice otherwise. Takes effect with the next item.
    void setAudioSink(const QString& description);

    void play();
    void pause();
    void stop();
    void seek(qint64 positionMs);

    State state() const;
    int currentIndex() const; // -1 before the first item starts
    int itemCount() const;    // 0 until a list has been read
    qint64 positionMs() const;
    qint64 durationMs() const; // -1 when unknown
    QString statusText() const;
    QString titleText() const;

signals:
    void itemChanged(int index);
    void stateChanged(lanseek::platform::MediaPlayerControl::State state);
    void errorOccurred(const QString& message);
    // The first audio buffer of the item just started has reached the audio sink.
    void firstBufferReached();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Impl;

    void buildUi();
    void startList();
    void onListLoaded(int generation, std::vector<MediaItem> items, QStringList errors);
    void startItem(int index);
    QString runningStatus() const;
    void failItem(const QString& message);
    void finishList(const QString& status);
    void setState(State state);
    void setStatus(const QString& text);
    void reportError(const QString& message);
    void updatePosition();
    void updateButtons();
    void updateTitleLabel();

    std::unique_ptr<Impl> m_impl;

    QToolButton* m_playButton = nullptr;
    QToolButton* m_stopButton = nullptr;
    QSlider* m_slider = nullptr;
    QLabel* m_timeLabel = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QTimer* m_pollTimer = nullptr;
};

} // namespace lanseek::platform
