#include "app/skin/skin_controller.h"

#include "app/shared/app_log.h"
#include "platform/ui/dialogs.h"
#include "skin/controls/se_popup_menu.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "skin/skin_file_read.h"
#include "skin/skin_source.h"

#include <QActionGroup>
#include <QFileInfo>

namespace lanseek::app {
namespace {

constexpr int kFirstSkin = 1;  // the window's main look
constexpr int kSecondSkin = 2; // the panels' look

QString refusal(lanseek::skin::SkinFileProblem problem, const QString& path)
{
    using lanseek::skin::SkinFileProblem;
    const QString name = QFileInfo(path).fileName();
    switch (problem) {
    case SkinFileProblem::Missing:
        return QStringLiteral("皮肤文件“%1”不存在，仍使用当前皮肤。").arg(name);
    case SkinFileProblem::Unreadable:
        return QStringLiteral("无法打开皮肤文件“%1”，仍使用当前皮肤。").arg(name);
    case SkinFileProblem::NotASkin:
        return QStringLiteral("“%1”不是皮肤文件，仍使用当前皮肤。").arg(name);
    case SkinFileProblem::Damaged:
        return QStringLiteral("皮肤文件“%1”已损坏，无法载入，仍使用当前皮肤。").arg(name);
    case SkinFileProblem::None:
        break;
    }
    return {};
}

void readBuiltIn(int index, TSeSkinSource& into)
{
    into.loadStoredForm(lanseek::skin::embeddedSkinStream(index));
}

} // namespace

const std::vector<HuePreset>& huePresets()
{
    static const std::vector<HuePreset> presets = {
        {0, "原色"}, {40, "靛紫"}, {85, "玫红"}, {150, "金秋"}, {215, "翠绿"},
    };
    return presets;
}

// The items of one menu's skin submenu.
struct SkinController::MenuItems
{
    QAction* designed = nullptr;
    QAction* secondEverywhere = nullptr;
    QAction* file = nullptr; // checked while a file's skin is worn
    std::vector<QAction*> hues;
};

SkinController::SkinController(const SkinView& view, platform::Dialogs& dialogs, ErrorPolicy& errors,
                               QObject* parent)
    : QObject(parent), m_view(view), m_dialogs(dialogs), m_errors(errors)
{
}

SkinController::~SkinController() = default;

void SkinController::wire()
{
    for (TSeSkinPopupMenu* menu : m_view.menus)
        addSubmenu(menu);
    showChoice();
}

void SkinController::addSubmenu(TSeSkinPopupMenu* menu)
{
    auto* sub = new TSeSkinPopupMenu(menu);
    sub->setObjectName(menu->objectName() + QStringLiteral("Skins"));
    sub->setTitle(QStringLiteral("皮肤(&S)"));
    sub->setAccessibleName(QStringLiteral("皮肤"));
    sub->setSkinEngine(m_view.first);
    menu->addSeparator();
    menu->addMenu(sub);

    MenuItems items;
    auto* looks = new QActionGroup(sub);
    auto addLook = [&](const QString& caption, Look look) {
        TSeSkinItem* item = sub->addItem(caption);
        item->setCheckable(true);
        looks->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, look] { guarded(m_errors, [&] { chooseLook(look); }); });
        return item;
    };
    items.designed = addLook(QStringLiteral("潮汐(&T)"), Look::Designed);
    items.secondEverywhere = addLook(QStringLiteral("海岸(&H)"), Look::SecondEverywhere);
    sub->addSeparator();

    auto* hues = new QActionGroup(sub);
    int key = 1;
    for (const HuePreset& preset : huePresets()) {
        TSeSkinItem* item =
            sub->addItem(QStringLiteral("%1(&%2)").arg(QString::fromUtf8(preset.name)).arg(key++));
        item->setCheckable(true);
        hues->addAction(item);
        const int value = preset.deltaHue;
        connect(item, &QAction::triggered, this,
                [this, value] { guarded(m_errors, [&] { chooseHue(value); }); });
        items.hues.push_back(item);
    }
    sub->addSeparator();

    items.file = sub->addItem(QStringLiteral("载入皮肤文件(&L)…"));
    items.file->setCheckable(true);
    looks->addAction(items.file);
    connect(items.file, &QAction::triggered, this, [this] {
        guarded(m_errors, [&] { askForSkinFile(); });
        // A cancelled or refused file leaves the look as it was: so must the checks.
        showChoice();
    });
    m_items.push_back(items);
}

void SkinController::showChoice()
{
    const std::vector<HuePreset>& presets = huePresets();
    for (MenuItems& items : m_items) {
        items.designed->setChecked(m_look == Look::Designed);
        items.secondEverywhere->setChecked(m_look == Look::SecondEverywhere);
        items.file->setChecked(m_look == Look::File);
        items.file->setToolTip(m_look == Look::File ? m_skinFile : QString());
        for (std::size_t i = 0; i < items.hues.size(); ++i)
            items.hues[i]->setChecked(presets[i].deltaHue == m_hue);
    }
}

void SkinController::wear(TSeSkinSource& forFirst, TSeSkinSource& forSecond)
{
    m_view.first->changeSource(forFirst);
    m_view.second->changeSource(forSecond);
}

void SkinController::chooseLook(Look look)
{
    if (look == Look::File) {
        askForSkinFile();
        return;
    }
    TSeSkinSource first, second;
    readBuiltIn(look == Look::Designed ? kFirstSkin : kSecondSkin, first);
    readBuiltIn(kSecondSkin, second);
    wear(first, second);
    m_look = look;
    m_skinFile.clear();
    qCInfo(appLog).noquote() << QStringLiteral("look: built-in skin %1")
                                    .arg(look == Look::Designed ? QStringLiteral("as designed")
                                                                : QStringLiteral("second everywhere"));
    showChoice();
}

void SkinController::chooseHue(int deltaHue)
{
    m_view.first->setDeltaHue(deltaHue);
    m_view.second->setDeltaHue(deltaHue);
    m_hue = deltaHue;
    showChoice();
}

void SkinController::askForSkinFile()
{
    platform::FileDialogRequest request;
    request.filter = QStringLiteral("皮肤文件(*.kskn;*.xskn;*.mskn;*.uskn)|*.kskn;*.xskn;*.mskn;*.uskn");
    if (!m_skinFile.isEmpty())
        request.initialDir = QFileInfo(m_skinFile).absolutePath();
    const std::optional<QString> path = m_dialogs.openFile(m_view.window, request);
    if (path)
        wearSkinFile(*path);
}

bool SkinController::wearSkinFile(const QString& path)
{
    // Read twice, once for each engine: each engine owns the skin it serves.
    TSeSkinSource first, second;
    lanseek::skin::SkinFileProblem problem = lanseek::skin::readSkinFile(path, first);
    if (problem == lanseek::skin::SkinFileProblem::None)
        problem = lanseek::skin::readSkinFile(path, second);
    if (problem != lanseek::skin::SkinFileProblem::None) {
        m_dialogs.message(m_view.window, refusal(problem, path));
        showChoice();
        return false;
    }
    wear(first, second);
    m_look = Look::File;
    m_skinFile = path;
    qCInfo(appLog).noquote() << QStringLiteral("look: skin file %1").arg(path);
    showChoice();
    return true;
}

} // namespace lanseek::app
