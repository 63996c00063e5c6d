#include "controls_test_support.h"

#include "skin/controls/widget_skin_owner.h"
#include "skin/skin_events.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// A window that answers for the skinned frame around it, and a control inside it that logs the
// repaint requests of its objects.
class FramedWindow : public QWidget, public SeFrameHost
{
public:
    bool hasBorderIcon(TSeBorderIcon) const override { return true; }
    void runFrameAction(TSeAction, TSeSystemButton*) override {}
    QIcon frameIcon() const override { return {}; }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == skinFrameQueryEvent()) {
            static_cast<SeFrameQueryEvent*>(e)->frame = this;
            return true;
        }
        return QWidget::event(e);
    }
};

class RepaintLog : public QWidget
{
public:
    using QWidget::QWidget;
    QList<TSeSkinObject*> repainted;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == skinRepaintEvent()) {
            repainted.append(static_cast<SeRepaintEvent*>(e)->object());
            return true;
        }
        return QWidget::event(e);
    }
};

} // namespace

TEST(WidgetSkinOwner, AnswersForTheWidgetAndItsWindow)
{
    FramedWindow window;
    window.setGeometry(40, 30, 200, 100);
    auto* control = new RepaintLog(&window);
    control->setGeometry(10, 20, 50, 20);
    WidgetSkinOwner owner(control);

    EXPECT_EQ(owner.frameHost(), static_cast<SeFrameHost*>(&window));
    EXPECT_EQ(owner.mapToScreen(QPoint(3, 4)), control->mapToGlobal(QPoint(3, 4)));

    TSeSkinObject object;
    auto* part = new TSeSkinObject;
    object.addChild(std::unique_ptr<TSeSkinObject>(part));
    control->setLayoutDirection(Qt::RightToLeft);
    object.bindOwner(&owner);
    EXPECT_EQ(part->owner(), &owner);
    EXPECT_EQ(part->bidiMode(), 1); // the reading direction comes from the widget
    part->invalidate();
    EXPECT_EQ(control->repainted, QList<TSeSkinObject*>{part});

    // A widget in a window without a skinned frame has none.
    QWidget plain;
    WidgetSkinOwner plainOwner(new QWidget(&plain));
    EXPECT_EQ(plainOwner.frameHost(), nullptr);
}

TEST(WidgetSkinOwner, AWidgetThatIsGoneLeavesAnOwnerThatDoesNothing)
{
    auto window = std::make_unique<FramedWindow>();
    WidgetSkinOwner owner(window.get());
    TSeSkinObject object;
    object.bindOwner(&owner);
    window.reset();
    EXPECT_EQ(owner.widget(), nullptr);
    EXPECT_EQ(owner.frameHost(), nullptr);
    EXPECT_EQ(owner.mapToScreen(QPoint(5, 6)), QPoint(5, 6));
    EXPECT_EQ(owner.layoutDirection(), Qt::LeftToRight);
    object.invalidate();
    owner.repaintAll();
}
