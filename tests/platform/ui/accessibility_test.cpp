#include "platform/ui/accessibility.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

bool applicationLists(QObject* object)
{
    QAccessibleInterface* app = QAccessible::queryAccessibleInterface(qApp);
    for (int i = 0; i < app->childCount(); ++i) {
        QAccessibleInterface* child = app->child(i);
        if (child && child->object() == object)
            return app->indexOfChild(child) == i;
    }
    return false;
}

TEST(Accessibility, LabelsAreReadAsText)
{
    lanseek::platform::installAccessibility();
    lanseek::platform::installAccessibility(); // once is enough; twice changes nothing
    QLabel status(QStringLiteral("正在播放"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&status);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("正在播放"));
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 4);
    EXPECT_EQ(text->text(0, -1), QStringLiteral("正在播放"));
    EXPECT_EQ(text->text(2, 99), QStringLiteral("播放"));

    // The text follows the label, and marked-up text is read without its marks.
    status.setText(QStringLiteral("<b>01:05</b> / 03:40"));
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("01:05 / 03:40"));
    status.setAccessibleName(QStringLiteral("播放时间"));
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("播放时间"));
}

TEST(Accessibility, AnOpenMenuIsUnderTheApplication)
{
    lanseek::platform::installAccessibility();
    QWidget window;
    window.show();
    QMenu menu(&window);
    menu.addAction(QStringLiteral("还原(&R)"));
    EXPECT_FALSE(applicationLists(&menu));
    menu.popup(QPoint(20, 20));
    EXPECT_TRUE(applicationLists(&menu));
    EXPECT_TRUE(applicationLists(&window));
    menu.hide();
    EXPECT_FALSE(applicationLists(&menu));
}

} // namespace
