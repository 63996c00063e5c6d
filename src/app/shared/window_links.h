#pragma once

// What one subsystem of the window asks of another, kept to the few calls it needs: the card list takes
// songs from the result list and the play list, the downloads and the play list name files after the
// search box's text, several commands switch the window's view, and the desktop brings the window back
// or closes it.

#include "platform/model/song_entry.h"

#include <QString>

#include <vector>

namespace lanseek::app {

// The card list, as the search and the play list fill it.
class CardIntake
{
public:
    // Empties the card list and puts one song in it.
    virtual void replaceCardSong(const SongEntry& song) = 0;
    // Appends songs without emptying the list first.
    virtual void addCardSongs(const std::vector<SongEntry>& songs) = 0;

protected:
    ~CardIntake() = default;
};

// The name the user has typed into the search box.
class SearchText
{
public:
    virtual QString searchText() const = 0;

protected:
    ~SearchText() = default;
};

// The three views of the window's right-hand area.
class ViewSwitch
{
public:
    virtual void showResultsView() = 0;
    virtual void showDownloadView() = 0;
    virtual void showCardView() = 0;

protected:
    ~ViewSwitch() = default;
};

// The main window as the desktop asks for it: brought back in front of the user, from the tray or a
// minimized state too, or closed as its own close button closes it (the close query first).
class WindowPresence
{
public:
    virtual void bringToFront() = 0;
    virtual void closeAsUser() = 0;

protected:
    ~WindowPresence() = default;
};

} // namespace lanseek::app
