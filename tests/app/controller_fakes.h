#pragma once

// Stand-ins for what the window gives a controller: its error policy, the view switch, the card list, the
// search box's text. Each records what the controller asked of it.

#include "app/shared/error_policy.h"
#include "app/shared/window_links.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace lanseek::test {

class RecordingErrors : public app::ErrorPolicy
{
public:
    void handle(const std::exception& error) override { messages << QString::fromUtf8(error.what()); }
    void handle(const QString& message) override { messages << message; }
    QStringList messages;
};

class RecordingViews : public app::ViewSwitch
{
public:
    void showResultsView() override { shown << QStringLiteral("results"); }
    void showDownloadView() override { shown << QStringLiteral("download"); }
    void showCardView() override { shown << QStringLiteral("card"); }
    QStringList shown;
};

class RecordingCard : public app::CardIntake
{
public:
    void replaceCardSong(const SongEntry& song) override
    {
        songs = {song};
        ++replaced;
    }
    void addCardSongs(const std::vector<SongEntry>& added) override
    {
        songs.insert(songs.end(), added.begin(), added.end());
    }
    std::vector<SongEntry> songs;
    int replaced = 0;
};

class FixedSearchText : public app::SearchText
{
public:
    QString searchText() const override { return text; }
    QString text;
};

} // namespace lanseek::test
