#pragma once

// The player as the desktop's media controls see it: what plays, how far it is, and the commands a media
// key or a desktop widget sends. The play list's controller implements it over the player object its
// player view hosts; the desktop integration drives it without seeing a widget.

#include <QString>
#include <QUrl>

namespace lanseek::app {

enum class PlayStatus { Stopped, Playing, Paused };

// The item the player is on. `row` is its play list row, -1 when nothing is chosen yet.
struct NowPlaying
{
    int row = -1;
    QString title;
    QUrl url;
    qint64 lengthMs = -1; // -1 while unknown
};

// Told of every change the desktop may show: status, item, length, volume, what the commands can do.
class PlayerObserver
{
public:
    virtual void playerChanged() = 0;
    // The position jumped (a seek) rather than moving on with the playing.
    virtual void playerSeeked(qint64 positionMs) = 0;

protected:
    ~PlayerObserver() = default;
};

class PlayerRemote
{
public:
    virtual PlayStatus playStatus() const = 0;
    virtual NowPlaying nowPlaying() const = 0;
    virtual qint64 positionMs() const = 0;
    // Linear loudness, 1 being the item's own level.
    virtual double volume() const = 0;
    virtual void setVolume(double linear) = 0;

    virtual bool canPlay() const = 0;
    virtual bool canPause() const = 0;
    virtual bool canSeek() const = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    // The next and the previous play list row, played as choosing that row and playing online does.
    virtual void next() = 0;
    virtual void previous() = 0;
    // Within the current item; ignored when it cannot seek.
    virtual void seekTo(qint64 positionMs) = 0;

    // One observer at a time; nullptr stops the notes.
    virtual void setPlayerObserver(PlayerObserver* observer) = 0;

protected:
    ~PlayerRemote() = default;
};

} // namespace lanseek::app
