// The window's look on its own: the skin submenu over two engines, a skinned button on each, and scripted
// dialogs for the skin file.

#include "app/controller_fakes.h"
#include "app/skin/skin_controller.h"
#include "support/scripted_dialogs.h"

#include "skin/controls/se_controls.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {
namespace {

class SkinControllerTest : public ::testing::Test
{
protected:
    SkinControllerTest()
    {
        first.setSkinStream(skin::embeddedSkinStream(1));
        second.setSkinStream(skin::embeddedSkinStream(2));
        systemMenu = new TSeSkinPopupMenu(&window);
        trayMenu = new TSeSkinPopupMenu(&window);
        systemMenu->setObjectName(QStringLiteral("system"));
        trayMenu->setObjectName(QStringLiteral("tray"));
        systemMenu->addItem(QStringLiteral("还原(&R)"));
        firstButton = new TSeSkinButton(QStringLiteral("搜索"), &window);
        secondButton = new TSeSkinButton(QStringLiteral("下载"), &window);
        firstButton->setSkinEngine(&first);
        secondButton->setSkinEngine(&second);
        controller = std::make_unique<app::SkinController>(
            app::SkinView{&window, &first, &second, {systemMenu, trayMenu}}, dialogs, errors);
        controller->wire();
    }

    // The skin submenu of a menu, and its items by caption with the mnemonic taken out.
    static QMenu* submenu(QMenu* menu)
    {
        for (QAction* action : menu->actions()) {
            if (action->menu())
                return action->menu();
        }
        return nullptr;
    }
    static QAction* item(QMenu* menu, const QString& caption)
    {
        for (QAction* action : submenu(menu)->actions()) {
            QString text = action->text();
            text.remove(QLatin1Char('&'));
            if (text.startsWith(caption))
                return action;
        }
        return nullptr;
    }
    static QStringList checked(QMenu* menu)
    {
        QStringList out;
        for (QAction* action : submenu(menu)->actions()) {
            if (action->isChecked())
                out << action->text().remove(QLatin1Char('&'));
        }
        return out;
    }

    QWidget window;
    TSeSkinEngine first, second;
    TSeSkinPopupMenu* systemMenu = nullptr;
    TSeSkinPopupMenu* trayMenu = nullptr;
    TSeSkinButton* firstButton = nullptr;
    TSeSkinButton* secondButton = nullptr;
    ScriptedDialogs dialogs;
    RecordingErrors errors;
    std::unique_ptr<app::SkinController> controller;
};

TEST_F(SkinControllerTest, BothMenusOfferTheLooksTheHuesAndAFile)
{
    for (QMenu* menu : {static_cast<QMenu*>(systemMenu), static_cast<QMenu*>(trayMenu)}) {
        ASSERT_NE(submenu(menu), nullptr) << menu->objectName().toStdString();
        EXPECT_EQ(submenu(menu)->title(), QStringLiteral("皮肤(&S)"));
        EXPECT_EQ(submenu(menu)->accessibleName(), QStringLiteral("皮肤"));
        QStringList captions;
        for (QAction* action : submenu(menu)->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(captions, QStringList({"潮汐(&T)", "海岸(&H)", "-", "原色(&1)", "靛紫(&2)", "玫红(&3)",
                                         "金秋(&4)", "翠绿(&5)", "-", "载入皮肤文件(&L)…"}));
        EXPECT_EQ(checked(menu), QStringList({"潮汐(T)", "原色(1)"}));
    }
    // The menu's own items stay where they were, before the submenu.
    EXPECT_EQ(systemMenu->actions().first()->text(), QStringLiteral("还原(&R)"));
}

TEST_F(SkinControllerTest, AChoiceDressesBothEnginesAndEveryControlAtOnce)
{
    item(trayMenu, QStringLiteral("海岸"))->trigger();
    EXPECT_EQ(controller->look(), app::SkinController::Look::SecondEverywhere);
    EXPECT_EQ(first.source()->SkinName, QByteArray("Shore"));
    EXPECT_EQ(second.source()->SkinName, QByteArray("Shore"));
    EXPECT_TRUE(firstButton->isSkinned());
    EXPECT_TRUE(secondButton->isSkinned());
    // The other menu shows the same choice.
    EXPECT_EQ(checked(systemMenu), QStringList({"海岸(H)", "原色(1)"}));

    item(systemMenu, QStringLiteral("玫红"))->trigger();
    EXPECT_EQ(first.DeltaHue(), 85);
    EXPECT_EQ(second.DeltaHue(), 85);
    EXPECT_EQ(first.source()->hue(), 85);
    EXPECT_EQ(checked(trayMenu), QStringList({"海岸(H)", "玫红(3)"}));

    // Back to the designed look: the hue stays with it.
    item(systemMenu, QStringLiteral("潮汐"))->trigger();
    EXPECT_EQ(first.source()->SkinName, QByteArray("Tide"));
    EXPECT_EQ(second.source()->SkinName, QByteArray("Shore"));
    EXPECT_EQ(first.source()->hue(), 85);
    EXPECT_TRUE(firstButton->isSkinned());
    EXPECT_TRUE(errors.messages.isEmpty());
}

TEST_F(SkinControllerTest, AFileIsWornWholeOrRefusedWithTheLookKept)
{
    QTemporaryDir dir;
    TSeSkinSource shore;
    shore.loadStoredForm(skin::embeddedSkinStream(2));
    const QString good = dir.filePath(QStringLiteral("shore.mskn"));
    shore.saveToFile(good);
    const QString bad = dir.filePath(QStringLiteral("bad.kskn"));
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("KSLZ broken");
    }

    dialogs.fileAnswers = {bad};
    item(systemMenu, QStringLiteral("载入皮肤文件"))->trigger();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].request.filter.contains(QStringLiteral("*.uskn")));
    EXPECT_EQ(dialogs.messages, QStringList({"皮肤文件“bad.kskn”已损坏，无法载入，仍使用当前皮肤。"}));
    EXPECT_EQ(first.source()->SkinName, QByteArray("Tide"));
    EXPECT_TRUE(firstButton->isSkinned());
    EXPECT_EQ(checked(systemMenu), QStringList({"潮汐(T)", "原色(1)"}));

    // A cancelled dialog changes nothing either.
    item(systemMenu, QStringLiteral("载入皮肤文件"))->trigger();
    EXPECT_EQ(checked(trayMenu), QStringList({"潮汐(T)", "原色(1)"}));

    item(systemMenu, QStringLiteral("金秋"))->trigger();
    dialogs.fileAnswers = {good};
    item(trayMenu, QStringLiteral("载入皮肤文件"))->trigger();
    EXPECT_EQ(controller->look(), app::SkinController::Look::File);
    EXPECT_EQ(controller->skinFile(), good);
    EXPECT_EQ(first.source()->SkinName, QByteArray("Shore"));
    EXPECT_EQ(second.source()->SkinName, QByteArray("Shore"));
    EXPECT_EQ(second.source()->hue(), 150);
    EXPECT_TRUE(secondButton->isSkinned());
    EXPECT_EQ(checked(systemMenu), QStringList({"金秋(4)", "载入皮肤文件(L)…"}));
    // The next dialog opens where the last skin came from.
    item(trayMenu, QStringLiteral("载入皮肤文件"))->trigger();
    EXPECT_EQ(dialogs.fileRequests.back().request.initialDir, dir.path());
    EXPECT_EQ(controller->look(), app::SkinController::Look::File);
}

} // namespace
} // namespace lanseek::test
