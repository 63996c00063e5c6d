#include "controls_test_support.h"

#include "skin/controls/se_button.h"
#include "skin/controls/se_speed_button.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// A solid parent, so that whatever shows through a control is known.
struct Host
{
    QWidget widget;
    explicit Host(QColor colour = QColor(0x20, 0xc0, 0x40))
    {
        QPalette pal = widget.palette();
        pal.setColor(QPalette::Window, colour);
        widget.setPalette(pal);
        widget.setAutoFillBackground(true);
        widget.resize(300, 200);
    }
};

// The face's edges and corners, away from the caption in the middle.
int faceMismatches(QWidget& control, TSeSkinEngine& engine, const QByteArray& face, int state)
{
    const QImage grab = grabOf(control);
    const TSeBitmap render = toolRender(engine, face, control.size(), state);
    const int w = control.width(), h = control.height();
    return mismatches(grab, render, QRect(0, 0, w, 4)) + mismatches(grab, render, QRect(0, h - 4, w, 4)) +
           mismatches(grab, render, QRect(0, 0, 6, h)) + mismatches(grab, render, QRect(w - 6, 0, 6, h));
}

} // namespace

class SkinnedButton : public ::testing::TestWithParam<int>
{
protected:
    std::unique_ptr<TSeSkinEngine> engine = embeddedEngine(GetParam());
    Host host;
};

TEST_P(SkinnedButton, DrawsTheFaceOfEachState)
{
    TSeSkinButton button(QStringLiteral("搜索"), &host.widget);
    button.setGeometry(10, 10, 90, 30);
    button.setSkinEngine(engine.get());
    ASSERT_TRUE(button.isSkinned());

    EXPECT_EQ(button.skinState(), 0);
    EXPECT_EQ(faceMismatches(button, *engine, "Button/Face", 0), 0);

    button.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(button.skinState(), 5);
    EXPECT_EQ(faceMismatches(button, *engine, "Button/Face", 5), 0);
    button.setAttribute(Qt::WA_UnderMouse, false);

    button.setDown(true);
    EXPECT_EQ(button.State(), kbsPressed);
    EXPECT_EQ(faceMismatches(button, *engine, "Button/Face", 6), 0);
    button.setDown(false);

    button.setActiveDefault(true);
    EXPECT_EQ(button.skinState(), 7);
    EXPECT_EQ(faceMismatches(button, *engine, "Button/Face", 7), 0);
    button.setActiveDefault(false);

    // The states really look different, so the comparisons above could fail.
    EXPECT_GT(faceMismatches(button, *engine, "Button/Face", 6), 0);
    EXPECT_FALSE(hasKeyPixels(grabOf(button)));
}

TEST_P(SkinnedButton, DisabledDrawsStateEightEvenWhilePressed)
{
    TSeSkinButton button(QStringLiteral("下载"), &host.widget);
    button.setGeometry(10, 10, 75, 60);
    button.setSkinEngine(engine.get());
    button.setDown(true);
    button.setEnabled(false);
    EXPECT_EQ(button.skinState(), 8);
    EXPECT_EQ(faceMismatches(button, *engine, "Button/Face", 8), 0);
    EXPECT_GT(faceMismatches(button, *engine, "Button/Face", 6), 0);
}

TEST_P(SkinnedButton, MaskedFaceMakesTheButtonTransparent)
{
    TSeSkinButton button(QStringLiteral("确定"), &host.widget);
    button.setGeometry(10, 10, 90, 30);
    EXPECT_FALSE(button.Transparent());
    button.setSkinEngine(engine.get());
    // Both skins' faces are masked bitmaps with rounded corners.
    EXPECT_TRUE(button.Transparent());
    const TSeBitmap render = toolRender(*engine, "Button/Face", button.size(), 0);
    ASSERT_TRUE(TSeBitmap::isKey(render.pixel(0, 0)));
    const QImage grab = grabOf(button);
    // The parent shows through the key pixels of the face's corner.
    EXPECT_EQ(QColor(grab.pixel(0, 0)), QColor(0x20, 0xc0, 0x40));
    EXPECT_FALSE(hasKeyPixels(grab));
}

TEST_P(SkinnedButton, CaptionIsCentredInTheTextFont)
{
    TSeSkinButton button(QStringLiteral("搜索"), &host.widget);
    button.setGeometry(10, 10, 120, 40);
    button.setSkinEngine(engine.get());
    const QImage withCaption = grabOf(button);
    button.setShowCaption(false);
    const QImage without = grabOf(button);
    // Every pixel the caption changed lies in the middle of the button, in a box as wide as the text.
    QRect changed;
    for (int y = 0; y < without.height(); ++y)
        for (int x = 0; x < without.width(); ++x)
            if (withCaption.pixel(x, y) != without.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    ASSERT_FALSE(changed.isEmpty());
    EXPECT_LE(std::abs((changed.left() + changed.right()) / 2 - 60), 2);
    EXPECT_LE(std::abs((changed.top() + changed.bottom()) / 2 - 20), 3);
    EXPECT_FALSE(hasKeyPixels(withCaption));
}

TEST_P(SkinnedButton, BufferingAndBlendingChangeHowNotWhatIsDrawn)
{
    TSeSkinButton button(QStringLiteral("搜索"), &host.widget);
    button.setGeometry(10, 10, 90, 30);
    button.setSkinEngine(engine.get());
    const QImage shared = grabOf(button);
    button.setPerformance(kspDoubleBuffer);
    EXPECT_EQ(grabOf(button), shared);
    button.setPerformance(kspNoBuffer);
    EXPECT_EQ(grabOf(button), shared);

    // Fully blended away only the parent shows; half blended the face shows through it.
    button.setBlending({true, 0});
    const QImage gone = grabOf(button);
    EXPECT_EQ(QColor(gone.pixel(45, 2)), QColor(0x20, 0xc0, 0x40));
    EXPECT_EQ(QColor(gone.pixel(45, 15)), QColor(0x20, 0xc0, 0x40));
    button.setBlending({true, 128});
    const QColor half(grabOf(button).pixel(45, 2));
    const QColor face(shared.pixel(45, 2));
    EXPECT_NEAR(half.green(), (0xc0 + face.green()) / 2, 3);
    button.setBlending({true, 255});
    EXPECT_EQ(grabOf(button), shared);
}

TEST_P(SkinnedButton, WithoutItsObjectTheButtonIsPlain)
{
    TSeSkinButton button(QStringLiteral("搜索"), &host.widget);
    button.setGeometry(10, 10, 90, 30);
    button.setSkinObject(QStringLiteral("NoSuchObject"));
    button.setSkinEngine(engine.get());
    EXPECT_FALSE(button.isSkinned());
    EXPECT_GT(faceMismatches(button, *engine, "Button/Face", 0), 0);
    EXPECT_EQ(button.Version(), QStringLiteral("3.2.0"));
    button.setVersion(QStringLiteral("9"));
    EXPECT_EQ(button.Version(), QStringLiteral("3.2.0"));
}

class SkinnedSpeedButton : public SkinnedButton
{};

TEST_P(SkinnedSpeedButton, FlatFaceShowsOnlyWhileHotPressedOrDown)
{
    TSeSkinSpeedButton button(QStringLiteral("男"), &host.widget);
    button.setGeometry(10, 10, 30, 24);
    button.setSkinEngine(engine.get());
    ASSERT_TRUE(button.isSkinned());
    EXPECT_TRUE(button.Flat());
    // Idle, the flat face is clear: the parent shows at its edge.
    EXPECT_EQ(button.skinState(), 0);
    EXPECT_EQ(QColor(grabOf(button).pixel(1, 12)), QColor(0x20, 0xc0, 0x40));

    button.setAttribute(Qt::WA_UnderMouse, true);
    EXPECT_EQ(button.skinState(), 5);
    EXPECT_EQ(faceMismatches(button, *engine, "SpeedButton/FlatFace", 5), 0);
    button.setCheckable(true);
    button.setChecked(true);
    EXPECT_EQ(button.skinState(), 5); // down but under the mouse
    button.setAttribute(Qt::WA_UnderMouse, false);
    EXPECT_EQ(button.skinState(), 7);
    EXPECT_EQ(faceMismatches(button, *engine, "SpeedButton/FlatFace", 7), 0);
    button.setDown(true);
    EXPECT_EQ(button.skinState(), 6);
    button.setEnabled(false);
    EXPECT_EQ(button.skinState(), 8);
}

TEST_P(SkinnedSpeedButton, RaisedButtonUsesFaceAndCaptionSinksWhilePressed)
{
    TSeSkinSpeedButton button(QStringLiteral("卡"), &host.widget);
    button.setGeometry(10, 10, 30, 24);
    button.setFlat(false);
    button.setSkinEngine(engine.get());
    EXPECT_EQ(faceMismatches(button, *engine, "SpeedButton/Face", 0), 0);

    // The caption's pixels move one to the right and down while the button is pressed; compare the
    // caption alone by taking the difference to a captionless button in the same state.
    auto captionBox = [&](bool pressed) {
        button.setDown(pressed);
        button.setText(QStringLiteral("卡"));
        const QImage with = grabOf(button);
        button.setText(QString());
        const QImage without = grabOf(button);
        QRect box;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect up = captionBox(false);
    const QRect down = captionBox(true);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_EQ(down.topLeft(), up.topLeft() + QPoint(1, 1));
}

TEST_P(SkinnedSpeedButton, ChevronIsDrawnOnlyWhenAskedFor)
{
    TSeSkinSpeedButton button(QStringLiteral("辑"), &host.widget);
    button.setGeometry(10, 10, 40, 24);
    button.setFlat(false);
    button.setSkinEngine(engine.get());
    const QImage plain = grabOf(button);
    button.setShowChevron(true);
    const QImage chevron = grabOf(button);
    const TSeBitmap render = toolRender(*engine, "SpeedButton/Chevron", QSize(12, 24), 0);
    EXPECT_EQ(mismatches(chevron, render, render.rect(), QPoint(28, 0)), 0);
    EXPECT_GT(mismatches(plain, render, render.rect(), QPoint(28, 0)), 0);
}

TEST_P(SkinnedSpeedButton, SpinButtonStepsWithFaceButtons)
{
    TSeSkinSpinButton spin(&host.widget);
    spin.setGeometry(10, 10, 16, 22);
    spin.setSkinEngine(engine.get());
    host.widget.show();
    QApplication::processEvents();
    ASSERT_TRUE(spin.upButton()->isSkinned());
    EXPECT_EQ(spin.upButton()->geometry(), QRect(0, 0, 16, 11));
    const TSeBitmap face = toolRender(*engine, "SpinButton/Face", spin.upButton()->size(), 0);
    const QImage grab = grabOf(*spin.upButton());
    EXPECT_EQ(mismatches(grab, face, QRect(0, 0, face.width(), 2)), 0);
    EXPECT_EQ(mismatches(grab, face, QRect(0, 0, 3, face.height())), 0);
    int ups = 0, downs = 0;
    QObject::connect(&spin, &TSeSkinSpinButton::upClick, [&] { ++ups; });
    QObject::connect(&spin, &TSeSkinSpinButton::downClick, [&] { ++downs; });
    spin.upButton()->click();
    spin.downButton()->click();
    spin.downButton()->click();
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 2);
    host.widget.hide();
}

INSTANTIATE_TEST_SUITE_P(BothSkins, SkinnedButton, ::testing::Values(1, 2));
INSTANTIATE_TEST_SUITE_P(BothSkins, SkinnedSpeedButton, ::testing::Values(1, 2));
