#include "controls_test_support.h"

#include "skin/controls/se_button.h"
#include "skin/controls/se_popup_menu.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

TEST(SkinnedPopupMenu, ItemsAreDrawnWithItemAndSeparatorInsideTheFrame)
{
    auto engine = embeddedEngine(1);
    TSeSkinPopupMenu menu;
    TSeSkinItem* restore = menu.addItem(QStringLiteral("还原"));
    TSeSkinItem* line = menu.addItem(QStringLiteral("-"));
    menu.addItem(QStringLiteral("最小化"));
    EXPECT_TRUE(line->isSeparator());
    EXPECT_EQ(restore->itemObject(), nullptr);
    menu.setSkinEngine(engine.get());
    ASSERT_TRUE(menu.isSkinned());
    EXPECT_EQ(restore->itemObject(), menu.skinPart("Item"));
    EXPECT_EQ(line->separatorObject(), menu.skinPart("Separator"));
    menu.resize(menu.sizeHint());

    const QImage grab = grabOf(menu);
    const TSeSkinObject* frame = masterPart(*engine, "PopupMenu/Frame");
    ASSERT_NE(frame, nullptr);
    const TSeBitmap render = toolRender(*engine, "PopupMenu/Frame", menu.size(), 0);
    EXPECT_EQ(mismatches(grab, render, QRect(0, 0, menu.width(), frame->MarginTop)), 0);
    EXPECT_EQ(mismatches(grab, render, QRect(0, 0, frame->MarginLeft, menu.height())), 0);
    // Items lie inside the frame's margins.
    const QRect first = menu.actionGeometry(restore);
    EXPECT_GE(first.left(), frame->MarginLeft);
    EXPECT_GE(first.top(), frame->MarginTop);
    // The separator is the separator object with its line.
    const QRect sep = menu.actionGeometry(line);
    TSeBitmap sepRender(sep.width(), sep.height());
    {
        auto copy = masterPart(*engine, "PopupMenu/Separator")->createCopy();
        copy->setText(QStringLiteral("-"));
        copy->setBounds(0, 0, sep.width(), sep.height());
        sepRender.fill(TSeBitmap::kKey);
        TSeCanvas canvas(&sepRender);
        copy->draw(canvas);
    }
    EXPECT_EQ(mismatches(grab, sepRender, sepRender.rect(), sep.topLeft()), 0);
    EXPECT_FALSE(hasKeyPixels(grab));

    // Without the engine the items let go of the objects they drew with.
    menu.setSkinEngine(nullptr);
    EXPECT_EQ(restore->itemObject(), nullptr);
}

TEST(SkinnedPopupMenu, ItemsExposeCaptionsAndAPressAction)
{
    auto engine = embeddedEngine(1);
    TSeSkinPopupMenu menu;
    int restored = 0;
    TSeSkinItem* restore = menu.addItem(QStringLiteral("还原"));
    QObject::connect(restore, &QAction::triggered, [&] { ++restored; });
    menu.addItem(QStringLiteral("缩为图标"));
    menu.setSkinEngine(engine.get());
    EXPECT_EQ(restore->Caption(), QStringLiteral("还原"));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&menu);
    ASSERT_NE(iface, nullptr);
    ASSERT_EQ(iface->childCount(), 2);
    QAccessibleInterface* item = iface->child(0);
    EXPECT_EQ(item->text(QAccessible::Name), QStringLiteral("还原"));
    EXPECT_EQ(iface->child(1)->text(QAccessible::Name), QStringLiteral("缩为图标"));
    ASSERT_NE(item->actionInterface(), nullptr);
    EXPECT_TRUE(item->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(restored, 1);
}

namespace {

// Records every skin notification it receives, whether it held a copy afterwards, and its paints.
class LoggingButton : public TSeSkinButton
{
public:
    LoggingButton(const QString& name, QStringList* log, QWidget* parent)
        : TSeSkinButton(name, parent), m_log(log)
    {
        setObjectName(name);
    }
    int paints = 0;

protected:
    bool event(QEvent* e) override
    {
        const bool before = e->type() == skinBeforeChangeEvent();
        const bool after = e->type() == skinAfterChangeEvent();
        const bool handled = TSeSkinButton::event(e);
        if (before || after)
            m_log->append(QStringLiteral("%1 %2 %3")
                              .arg(before ? "before" : "after", objectName(), skinCopy() ? "copy" : "none"));
        return handled;
    }
    void paintEvent(QPaintEvent* e) override
    {
        ++paints;
        TSeSkinButton::paintEvent(e);
    }

private:
    QStringList* m_log;
};

} // namespace

TEST(SkinnedProtocol, SkinChangeDropsAndRetakesCopiesOfThatEngineOnly)
{
    auto first = embeddedEngine(1);
    auto second = embeddedEngine(2);
    QStringList log;
    QWidget window;
    window.resize(300, 100);
    auto* a = new LoggingButton(QStringLiteral("a"), &log, &window);
    auto* b = new LoggingButton(QStringLiteral("b"), &log, &window);
    a->setGeometry(0, 0, 90, 30);
    b->setGeometry(100, 0, 90, 30);
    a->setSkinEngine(first.get());
    b->setSkinEngine(second.get());
    window.show();
    QApplication::processEvents();
    const QRgb oldEdge = grabOf(*a).pixel(1, 15);
    QApplication::processEvents();
    first->OnBeforeChange = [&](TSeSkinEngine*) { log.append(QStringLiteral("engine before")); };
    first->OnAfterChange = [&](TSeSkinEngine*) { log.append(QStringLiteral("engine after")); };
    a->paints = b->paints = 0;

    first->setDeltaHue(90);
    QApplication::processEvents();
    // Only the first engine's client hears its notifications, dropping and retaking its copy; the
    // second engine's client is not told at all.
    EXPECT_EQ(log, QStringList({QStringLiteral("engine before"), QStringLiteral("before a none"),
                                QStringLiteral("after a copy"), QStringLiteral("engine after")}));
    EXPECT_NE(a->skinCopy(), nullptr);
    EXPECT_EQ(a->paints, 1);
    EXPECT_EQ(b->paints, 0);
    // The fresh copy carries the shifted skin.
    EXPECT_NE(grabOf(*a).pixel(1, 15), oldEdge);

    // A skin file that cannot be loaded leaves the engine empty: its clients paint plainly.
    log.clear();
    QTemporaryDir dir;
    try {
        first->setSkinFile(dir.filePath(QStringLiteral("missing.kskn")));
    } catch (const SkinError&) {
        // Reported to the caller; the notifications have run either way.
    }
    QApplication::processEvents();
    EXPECT_EQ(log.filter(QStringLiteral(" a ")).size(), 2);
    EXPECT_TRUE(log.filter(QStringLiteral(" b ")).isEmpty());
    EXPECT_EQ(a->skinCopy(), nullptr);
    EXPECT_FALSE(a->isSkinned());
    EXPECT_TRUE(b->isSkinned());
    window.hide();
}

TEST(SkinnedProtocol, EngineThatGoesAwayLeavesThePlainLook)
{
    auto engine = embeddedEngine(1);
    QWidget window;
    TSeSkinButton button(QStringLiteral("搜索"), &window);
    button.setSkinEngine(engine.get());
    ASSERT_TRUE(button.isSkinned());
    engine.reset();
    EXPECT_EQ(button.SkinEngine(), nullptr);
    EXPECT_FALSE(button.isSkinned());
    QApplication::processEvents();
    EXPECT_FALSE(grabOf(button).isNull());
}

TEST(SkinnedPopupMenu, ItemsShowTheirPictureAndLetGoOfTheirPartsWithTheCopy)
{
    auto engine = embeddedEngine(1);
    TSeSkinPopupMenu menu;
    TSeSkinItem* item = menu.addItem(QStringLiteral("还原"));
    menu.setSkinEngine(engine.get());
    QPixmap red(16, 16);
    red.fill(Qt::red);
    item->setIcon(QIcon(red));
    menu.resize(menu.sizeHint());
    const QRect r = menu.actionGeometry(item);
    EXPECT_EQ(grabOf(menu).pixelColor(r.left() + 12, r.center().y()), QColor(Qt::red));
    // The engine going takes the copy, and the items' parts of it, at once.
    ASSERT_NE(item->itemObject(), nullptr);
    engine.reset();
    EXPECT_EQ(item->itemObject(), nullptr);
}
