#pragma once

// The window's look, chosen from its system and tray menus: one of the program's two skins, a hue, or a
// skin file the user picks. A choice goes to both skin engines at once, so both windows and every
// control change together; it lasts for the run (the program keeps no settings). A file that cannot be
// worn is refused with the reason, and the look in use stays.

#include "app/shared/error_policy.h"

#include <QObject>
#include <QString>

#include <vector>

class QAction;
class QActionGroup;
class QWidget;
class TSeSkinEngine;
class TSeSkinPopupMenu;
class TSeSkinSource;

namespace lanseek::platform {
class Dialogs;
}

namespace lanseek::app {

struct SkinView
{
    QWidget* window = nullptr;            // dialogs open over it
    TSeSkinEngine* first = nullptr;       // frames, menus, buttons, edits, lists
    TSeSkinEngine* second = nullptr;      // panels, tool bars, progress bars, the download controls
    std::vector<TSeSkinPopupMenu*> menus; // each gets the skin submenu
};

// A hue the menu offers: the engines' DeltaHue and its name.
struct HuePreset
{
    int deltaHue;
    const char* name; // UTF-8
};
const std::vector<HuePreset>& huePresets();

class SkinController : public QObject
{
public:
    // The program's own looks: its two skins as it was designed to wear them, and the second skin on
    // everything.
    enum class Look {
        Designed,
        SecondEverywhere,
        File,
    };

    SkinController(const SkinView& view, platform::Dialogs& dialogs, ErrorPolicy& errors,
                   QObject* parent = nullptr);
    ~SkinController() override;

    // Puts the submenu "皮肤" into each menu of the view.
    void wire();

    void chooseLook(Look look);
    void chooseHue(int deltaHue);
    // Asks for a skin file and wears it.
    void askForSkinFile();
    // Wears the skin in `path`, or says why it cannot and keeps the look. True when worn.
    bool wearSkinFile(const QString& path);

    Look look() const { return m_look; }
    int hue() const { return m_hue; }
    const QString& skinFile() const { return m_skinFile; }

private:
    struct MenuItems;
    void addSubmenu(TSeSkinPopupMenu* menu);
    void showChoice();
    void wear(TSeSkinSource& forFirst, TSeSkinSource& forSecond);

    SkinView m_view;
    platform::Dialogs& m_dialogs;
    ErrorPolicy& m_errors;
    Look m_look = Look::Designed;
    int m_hue = 0;
    QString m_skinFile;
    std::vector<MenuItems> m_items;
};

} // namespace lanseek::app
