#include "skin_test_support.h"

#include "skin/skin_objects.h"
#include "skin/skin_pack.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

template <typename T = TSeSkinObject>
T* addChild(TSeSkinObject& parent, const char* name, TSeAlign align, QRect r)
{
    auto child = std::make_unique<T>();
    child->setName(name);
    child->Align = align;
    child->setBounds(r);
    T* raw = child.get();
    parent.addChild(std::move(child));
    return raw;
}

// A bitmap whose every pixel names its own position, so a drawn pixel tells where it came from.
std::unique_ptr<TSeBitmap> positionBitmap(const char* name, int w, int h)
{
    auto b = std::make_unique<TSeBitmap>(w, h);
    b->setName(name);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->setPixel(x, y, 0xFF000001u | (quint32(x) << 16) | (quint32(y) << 8));
    return b;
}

QPoint origin(quint32 pixel)
{
    return QPoint(int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF));
}

std::unique_ptr<TSeBitmap> solid(const char* name, int w, int h, quint32 value)
{
    auto b = std::make_unique<TSeBitmap>(w, h);
    b->setName(name);
    b->fill(value);
    return b;
}

TSeBitmapLink linkTo(const char* name, QRect r)
{
    TSeBitmapLink l;
    l.Name = name;
    l.Left = r.left();
    l.Top = r.top();
    l.Right = r.left() + r.width();
    l.Bottom = r.top() + r.height();
    return l;
}

TSeBitmap keyTarget(int w, int h)
{
    TSeBitmap t(w, h);
    t.fill(TSeBitmap::kKey);
    return t;
}

} // namespace

TEST(SkinLayout, EveryAlignKindTakesItsPlace)
{
    TSeSkinObject parent;
    parent.setBounds(10, 20, 200, 100);
    auto* mostTop = addChild(parent, "mt", saMostTop, QRect(0, 0, 1, 10));
    auto* mostBottom = addChild(parent, "mb", saMostBottom, QRect(0, 0, 1, 10));
    auto* mostLeft = addChild(parent, "ml", saMostLeft, QRect(0, 0, 15, 1));
    auto* mostRight = addChild(parent, "mr", saMostRight, QRect(0, 0, 15, 1));
    // Ordinary bands come after the outermost ones whatever their order among the children.
    auto* top = addChild(parent, "t", saTop, QRect(0, 0, 1, 5));
    auto* bottom = addChild(parent, "b", saBottom, QRect(0, 0, 1, 5));
    auto* left = addChild(parent, "l", saLeft, QRect(0, 0, 20, 1));
    auto* right = addChild(parent, "r", saRight, QRect(0, 0, 20, 1));
    auto* center = addChild(parent, "c", saCenter, QRect(0, 0, 31, 21));
    auto* client = addChild(parent, "cl", saClient, QRect());
    auto* text = addChild(parent, "tx", saText, QRect(50, 40, 3, 12));
    text->setText(QStringLiteral("Hello"));
    text->TextMarginLeft = 4;
    text->TextMarginRight = 6;
    auto* topRight = addChild(parent, "tr", saTopRight, QRect(180, 22, 10, 5));
    auto* bottomLeft = addChild(parent, "bl", saBottomLeft, QRect(12, 100, 5, 5));
    auto* bottomRight = addChild(parent, "br", saBottomRight, QRect(190, 100, 5, 5));
    auto* none = addChild(parent, "n", saNone, QRect(1, 2, 3, 4));
    auto* topLeft = addChild(parent, "tl", saTopLeft, QRect(5, 6, 7, 8));
    parent.alignChildren();

    EXPECT_EQ(mostTop->boundsRect(), QRect(10, 20, 200, 10));
    EXPECT_EQ(mostBottom->boundsRect(), QRect(10, 110, 200, 10));
    EXPECT_EQ(mostLeft->boundsRect(), QRect(10, 30, 15, 80));
    EXPECT_EQ(mostRight->boundsRect(), QRect(195, 30, 15, 80));
    EXPECT_EQ(top->boundsRect(), QRect(25, 30, 170, 5));
    EXPECT_EQ(bottom->boundsRect(), QRect(25, 105, 170, 5));
    EXPECT_EQ(left->boundsRect(), QRect(25, 35, 20, 70));
    EXPECT_EQ(right->boundsRect(), QRect(175, 35, 20, 70));
    // Centred with half the free space rounded towards zero: (130 - 31) / 2 = 49, (70 - 21) / 2 = 24.
    EXPECT_EQ(center->boundsRect(), QRect(94, 59, 31, 21));
    EXPECT_EQ(client->boundsRect(), QRect(45, 35, 130, 70));
    EXPECT_EQ(text->width(), textWidth(QStringLiteral("Hello"), text->Font) + 10);
    EXPECT_EQ(text->boundsRect().topLeft(), QPoint(50, 40));
    // Nothing has grown yet, so anchored children stay where they were stored.
    EXPECT_EQ(topRight->boundsRect(), QRect(180, 22, 10, 5));
    EXPECT_EQ(none->boundsRect(), QRect(1, 2, 3, 4));

    parent.setBounds(10, 20, 260, 130);
    EXPECT_EQ(topRight->boundsRect(), QRect(240, 22, 10, 5));
    EXPECT_EQ(bottomLeft->boundsRect(), QRect(12, 130, 5, 5));
    EXPECT_EQ(bottomRight->boundsRect(), QRect(250, 130, 5, 5));
    EXPECT_EQ(none->boundsRect(), QRect(1, 2, 3, 4));
    EXPECT_EQ(topLeft->boundsRect(), QRect(5, 6, 7, 8));
    EXPECT_EQ(client->boundsRect(), QRect(45, 35, 190, 100));

    // The same bounds again, or another layout pass (as drawing runs), move nothing twice.
    parent.setBounds(10, 20, 260, 130);
    parent.alignChildren();
    EXPECT_EQ(topRight->boundsRect(), QRect(240, 22, 10, 5));
    EXPECT_EQ(bottomLeft->boundsRect(), QRect(12, 130, 5, 5));

    // Shrinking below the bands leaves empty, never negative, sizes.
    parent.setBounds(0, 0, 8, 8);
    EXPECT_EQ(client->width(), 0);
    EXPECT_EQ(client->height(), 0);
}

TEST(SkinDrawing, NinePartsOf183By64)
{
    TSeBitmapList bitmaps;
    bitmaps.push_back(positionBitmap("src", 32, 32));
    TSeBitmapObject o;
    o.setBitmaps(&bitmaps);
    o.Bitmap = linkTo("SRC", QRect(0, 0, 32, 32));
    o.MarginLeft = o.MarginTop = o.MarginRight = o.MarginBottom = 3;
    o.TileStyle = tsStretch;
    o.BorderTileStyle = tsTile;
    o.afterLoad();
    o.setBounds(5, 7, 183, 64);
    TSeBitmap target = keyTarget(200, 80);
    o.draw(TSeCanvas(&target));

    auto at = [&](int x, int y) { return origin(target.pixel(5 + x, 7 + y)); };
    // Corners unscaled.
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(at(x, y), QPoint(x, y));
            EXPECT_EQ(at(180 + x, y), QPoint(29 + x, y));
            EXPECT_EQ(at(x, 61 + y), QPoint(x, 29 + y));
            EXPECT_EQ(at(180 + x, 61 + y), QPoint(29 + x, 29 + y));
        }
    }
    // Edges three pixels thick, tiled from their start.
    EXPECT_EQ(at(3, 0), QPoint(3, 0));
    EXPECT_EQ(at(3 + 26, 2), QPoint(3, 2));
    EXPECT_EQ(at(3 + 27, 1), QPoint(4, 1));
    EXPECT_EQ(at(0, 3 + 26), QPoint(0, 3));
    EXPECT_EQ(at(182, 3 + 30), QPoint(31, 7));
    EXPECT_EQ(at(3 + 26, 63), QPoint(3, 31));
    // A 177 x 58 centre stretched from the 26 x 26 middle.
    EXPECT_EQ(at(3, 3), QPoint(3, 3));
    EXPECT_EQ(at(179, 60), QPoint(3 + 176 * 26 / 177, 3 + 57 * 26 / 58));
    EXPECT_EQ(at(3 + 88, 3 + 29), QPoint(3 + 88 * 26 / 177, 3 + 29 * 26 / 58));
    // Nothing outside the object.
    EXPECT_EQ(target.pixel(4, 7), TSeBitmap::kKey);
    EXPECT_EQ(target.pixel(5 + 183, 7), TSeBitmap::kKey);
    EXPECT_EQ(target.pixel(5, 7 + 64), TSeBitmap::kKey);
    EXPECT_EQ(o.createRegion(), QRegion(5, 7, 183, 64));
}

TEST(SkinDrawing, MaskedPartsSkipTheKey)
{
    TSeBitmapList bitmaps;
    bitmaps.push_back(solid("b", 8, 8, 0xFF112233u));
    bitmaps[0]->setPixel(0, 0, TSeBitmap::kKey);
    bitmaps[0]->setPixel(4, 4, TSeBitmap::kKey);
    for (bool maskedAngles : {true, false}) {
        TSeBitmapObject o;
        o.setBitmaps(&bitmaps);
        o.Bitmap = linkTo("b", QRect(0, 0, 8, 8));
        o.MarginLeft = o.MarginTop = o.MarginRight = o.MarginBottom = 2;
        o.MaskedAngles = maskedAngles;
        o.Masked = false; // the centre copies its key pixel
        o.afterLoad();
        o.setBounds(0, 0, 8, 8);
        TSeBitmap target(8, 8);
        target.fill(0xFF999999u);
        o.draw(TSeCanvas(&target));
        EXPECT_EQ(target.pixel(0, 0), maskedAngles ? 0xFF999999u : TSeBitmap::kKey);
        EXPECT_EQ(target.pixel(4, 4), TSeBitmap::kKey);
        EXPECT_EQ(target.pixel(1, 1), 0xFF112233u);
    }
}

TEST(SkinDrawing, DisplayImagesHideTheKeyInEitherFormat)
{
    TSeBitmap b(3, 1);
    b.setPixel(0, 0, TSeBitmap::kKey);
    b.setPixel(1, 0, qRgba(10, 20, 30, 255));
    b.setPixel(2, 0, qRgba(200, 100, 50, 7)); // any other alpha shows as opaque
    const QImage plain = b.toDisplayImage();
    const QImage premultiplied = b.toDisplayImage(QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(plain.format(), QImage::Format_ARGB32);
    EXPECT_EQ(premultiplied.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(plain.pixel(0, 0), 0u);
    EXPECT_EQ(plain.pixel(1, 0), qRgba(10, 20, 30, 255));
    EXPECT_EQ(plain.pixel(2, 0), qRgba(200, 100, 50, 255));
    // The same pixels either way: what the painter would get by converting the plain one.
    EXPECT_EQ(premultiplied, plain.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    // Made in the bitmap's own memory, the picture is the same and the bitmap gives it up.
    const QImage taken = b.takeDisplayImage();
    EXPECT_EQ(taken.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(taken, premultiplied);
    EXPECT_TRUE(b.isEmpty());

    // A bitmap may start as any one value; without one it starts zeroed.
    TSeBitmap filled(2, 2, 0xFF102030u);
    EXPECT_EQ(filled.pixel(1, 1), 0xFF102030u);
    filled.setSize(3, 1);
    EXPECT_EQ(filled.pixel(2, 0), 0u);
}

TEST(SkinDrawing, TileCentreAndStretchModes)
{
    TSeBitmap src = *positionBitmap("p", 4, 3);
    TSeBitmap tiled = keyTarget(10, 7);
    tiled.drawStyled(QRect(1, 1, 9, 6), src, QRect(0, 0, 4, 3), tsTile, true, tiled.rect());
    EXPECT_EQ(origin(tiled.pixel(1 + 5, 1 + 4)), QPoint(1, 1));
    EXPECT_EQ(origin(tiled.pixel(9, 6)), QPoint(0, 2));
    TSeBitmap centred = keyTarget(10, 7);
    centred.drawStyled(QRect(0, 0, 9, 6), src, QRect(0, 0, 4, 3), tsCenter, true, centred.rect());
    EXPECT_EQ(origin(centred.pixel(2, 1)), QPoint(0, 0)); // (9 - 4) / 2 = 2, (6 - 3) / 2 = 1
    EXPECT_EQ(centred.pixel(1, 1), TSeBitmap::kKey);
    TSeBitmap stretched = keyTarget(8, 6);
    stretched.drawStyled(QRect(0, 0, 8, 6), src, QRect(0, 0, 4, 3), tsStretch, true, QRect(0, 0, 4, 6));
    EXPECT_EQ(origin(stretched.pixel(3, 5)), QPoint(1, 2));
    EXPECT_EQ(stretched.pixel(4, 0), TSeBitmap::kKey); // clipped
    // A source rectangle hanging over the bitmap's edge draws only what exists.
    TSeBitmap over = keyTarget(6, 6);
    over.copyFrom(0, 0, src, QRect(2, 1, 10, 10), false, over.rect());
    EXPECT_EQ(origin(over.pixel(1, 1)), QPoint(3, 2));
    EXPECT_EQ(over.pixel(2, 0), TSeBitmap::kKey);
}

TEST(SkinDrawing, OwnersFillsAndTexts)
{
    // A panel with children and DrawIfOwner False paints only its children.
    TSeSkinObject panel;
    panel.Color = 0x0000FF;
    panel.setBounds(0, 0, 20, 10);
    auto* child = addChild(panel, "c", saNone, QRect(2, 2, 4, 4));
    child->Color = 0xFF0000;
    TSeBitmap target = keyTarget(20, 10);
    panel.draw(TSeCanvas(&target));
    EXPECT_EQ(target.pixel(10, 5), TSeBitmap::kKey);
    EXPECT_EQ(target.pixel(3, 3), 0xFF0000FFu);
    panel.DrawIfOwner = true;
    panel.draw(TSeCanvas(&target));
    EXPECT_EQ(target.pixel(10, 5), 0xFFFF0000u);

    // clNone and no bitmap: only the text is drawn.
    TSeSkinObject label;
    label.Color = clNone;
    label.Font.Color = clBlack;
    label.Font.Height = -16;
    label.setBounds(0, 0, 60, 20);
    label.setText(QStringLiteral("MMM"));
    TSeBitmap text = keyTarget(60, 20);
    label.draw(TSeCanvas(&text));
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            inked += !TSeBitmap::isKey(text.pixel(x, y));
    EXPECT_GT(inked, 20);
    EXPECT_EQ(text.pixel(59, 0), TSeBitmap::kKey);

    // "-" is a separator line across the middle, inset by 3, never the character.
    TSeSkinObject sep;
    sep.Color = clNone;
    sep.Font.Color = 0x00FF00;
    sep.setBounds(0, 0, 20, 9);
    sep.setText(QStringLiteral("-"));
    TSeBitmap line = keyTarget(20, 9);
    sep.draw(TSeCanvas(&line));
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(line.pixel(x, 4), x >= 3 && x < 17 ? 0xFF00FF00u : TSeBitmap::kKey) << x;
        EXPECT_EQ(line.pixel(x, 3), TSeBitmap::kKey);
        EXPECT_EQ(line.pixel(x, 5), TSeBitmap::kKey);
    }
    sep.setEnabled(false); // disabled text is grey
    sep.draw(TSeCanvas(&line));
    EXPECT_EQ(line.pixel(10, 4), 0xFF808080u);
}

TEST(SkinDrawing, ButtonStateBitmapsFallBackToBitmap)
{
    TSeBitmapList bitmaps;
    bitmaps.push_back(solid("normal", 4, 4, 0xFF000010u));
    bitmaps.push_back(solid("focused", 4, 4, 0xFF000070u));
    bitmaps.push_back(solid("disabled", 4, 4, 0xFF000080u));
    TSeButtonObject b;
    b.setBitmaps(&bitmaps);
    b.Bitmap = linkTo("normal", QRect(0, 0, 4, 4));
    b.BitmapHot = linkTo("missing", QRect(0, 0, 4, 4));
    b.BitmapFocused = linkTo("focused", QRect(0, 0, 4, 4));
    b.BitmapDisabled = linkTo("disabled", QRect(0, 0, 0, 4)); // empty rectangle: unusable
    b.afterLoad();
    b.setBounds(0, 0, 4, 4);
    auto drawn = [&](int state) {
        b.setState(state);
        TSeBitmap t = keyTarget(4, 4);
        b.draw(TSeCanvas(&t));
        return t.pixel(1, 1);
    };
    EXPECT_EQ(drawn(StateHot), 0xFF000010u);
    EXPECT_EQ(drawn(StateFocused), 0xFF000070u);
    EXPECT_EQ(drawn(StateDisabled), 0xFF000010u);
    EXPECT_EQ(drawn(StateNormal), 0xFF000010u);
    // Without a usable bitmap nothing is drawn, children included.
    b.Bitmap = linkTo("missing", QRect(0, 0, 4, 4));
    EXPECT_EQ(drawn(StateNormal), TSeBitmap::kKey);
}

TEST(SkinRegions, RunsOfOpaquePixelsAndUnionsOfChildren)
{
    TSeBitmapList bitmaps;
    auto shape = solid("shape", 4, 3, 0xFF204060u);
    const quint32 K = TSeBitmap::kKey;
    for (QPoint p : {QPoint(0, 0), QPoint(3, 0), QPoint(0, 2), QPoint(1, 2), QPoint(2, 2)})
        shape->setPixel(p.x(), p.y(), K);
    bitmaps.push_back(std::move(shape));
    TSeBitmapObject o;
    o.setBitmaps(&bitmaps);
    o.Bitmap = linkTo("shape", QRect(0, 0, 4, 3));
    o.afterLoad();
    o.setBounds(10, 20, 4, 3);
    QRegion expected;
    expected += QRect(11, 20, 2, 1);
    expected += QRect(10, 21, 4, 1);
    expected += QRect(13, 22, 1, 1);
    EXPECT_EQ(o.createRegion(), expected);
    o.Kind = skClient; // the client is always its whole rectangle
    EXPECT_EQ(o.createRegion(), QRegion(10, 20, 4, 3));
    o.Kind = skNone;
    o.Masked = false;
    EXPECT_EQ(o.createRegion(), QRegion(10, 20, 4, 3));

    TSeSkinObject owner;
    owner.setBounds(0, 0, 50, 50);
    addChild(owner, "a", saNone, QRect(1, 1, 2, 2));
    auto* hidden = addChild(owner, "b", saNone, QRect(30, 30, 5, 5));
    addChild(owner, "c", saNone, QRect(5, 1, 2, 2));
    hidden->setVisible(false);
    QRegion children;
    children += QRect(1, 1, 2, 2);
    children += QRect(5, 1, 2, 2);
    EXPECT_EQ(owner.createRegion(), children);
    owner.DrawIfOwner = true;
    EXPECT_EQ(owner.createRegion(), QRegion(0, 0, 50, 50));
    owner.setBounds(0, 0, 0, 50);
    EXPECT_TRUE(owner.createRegion().isEmpty());
}

TEST(SkinTree, LookupsHitTestsLinksAndCopies)
{
    TSeBitmapList bitmaps;
    bitmaps.push_back(solid("Strip", 2, 2, 0xFF000001u));
    bitmaps.push_back(solid("strip", 2, 2, 0xFF000002u));
    TSeSkinObject root;
    root.setName("Button");
    root.setBounds(0, 0, 100, 40);
    auto* face = addChild<TSeBitmapObject>(root, "Face", saClient, QRect());
    face->Bitmap = linkTo("STRIP", QRect(0, 0, 2, 2));
    auto* text = addChild<TSeTextObject>(root, "Text", saNone, QRect(10, 10, 20, 10));
    text->Kind = skTitle;
    auto* glass = addChild(root, "Glass", saNone, QRect(0, 0, 100, 40));
    glass->Kind = skTranparent;
    root.setBitmaps(&bitmaps);
    root.afterLoad();
    root.alignChildren();

    EXPECT_EQ(root.findObject("fACE"), face);
    EXPECT_EQ(root.findObject("button"), &root);
    EXPECT_EQ(root.findObject("nothing"), nullptr);
    EXPECT_EQ(root.findObjectByKind(skTitle), text);
    // Two bitmaps named alike: the later one wins.
    EXPECT_EQ(face->Bitmap.bitmap, bitmaps[1].get());

    EXPECT_EQ(root.objectAt(QPoint(15, 15)), text); // the last child that answers
    EXPECT_EQ(root.objectAt(QPoint(50, 30)), face);
    EXPECT_EQ(root.objectAt(QPoint(150, 30)), nullptr);
    text->setVisible(false);
    EXPECT_EQ(root.objectAt(QPoint(15, 15)), face);

    const auto copy = root.createCopy();
    EXPECT_STREQ(copy->className(), "TSeSkinObject");
    ASSERT_EQ(copy->childCount(), 3);
    EXPECT_STREQ(copy->child(0)->className(), "TSeBitmapObject");
    EXPECT_EQ(copy->toForm(), root.toForm());
    auto* copiedFace = static_cast<TSeBitmapObject*>(copy->child(0));
    EXPECT_EQ(copiedFace->Bitmap.bitmap, bitmaps[1].get());
    copy->setBounds(0, 0, 60, 20);
    EXPECT_EQ(copiedFace->boundsRect(), QRect(0, 0, 60, 20));
    EXPECT_EQ(face->boundsRect(), QRect(0, 0, 100, 40)); // the master is untouched
}

namespace {

// A control in a skinned window, as its objects see it: the owner is the frame too.
class FakeFrame : public SkinOwner, public SeFrameHost
{
public:
    QSet<int> icons{kbiClose, kbiSystemMenu, kbiMinimize, kbiTray};
    QList<TSeAction> actions;
    QList<QPoint> hints;
    bool hasBorderIcon(TSeBorderIcon icon) const override { return icons.contains(icon); }
    void runFrameAction(TSeAction action, TSeSystemButton*) override { actions.append(action); }
    QIcon frameIcon() const override { return {}; }
    void showFrameHint(const QPoint& globalPos) override { hints.append(globalPos); }

    void repaintObject(TSeSkinObject*) override {}
    void repaintAll() override {}
    SeFrameHost* frameHost() const override { return const_cast<FakeFrame*>(this); }
    QPoint mapToScreen(const QPoint& point) const override { return point + QPoint(1000, 500); }
    Qt::LayoutDirection layoutDirection() const override { return Qt::LeftToRight; }
};

} // namespace

TEST(SkinSystemButtons, VisibilityFollowsStateAndBorderIcons)
{
    FakeFrame frame;
    TSeSkinObject caption;
    caption.setBounds(0, 0, 100, 20);
    QMap<TSeAction, TSeSystemButton*> buttons;
    for (TSeAction a : {sbaClose, sbaMinimize, sbaMaximize, sbaRestore, sbaRollUp, sbaRollDown, sbaTray,
                        sbaSysMenu, sbaHelp, sbaCustom}) {
        auto* b = addChild<TSeSystemButton>(caption, "b", saNone, QRect(0, 0, 10, 10));
        b->Action = a;
        buttons[a] = b;
    }
    caption.bindOwner(&frame);
    auto shown = [&](int state) {
        caption.setState(state);
        QList<TSeAction> out;
        for (auto it = buttons.begin(); it != buttons.end(); ++it)
            if (it.value()->visible())
                out.append(it.key());
        return out;
    };
    EXPECT_EQ(shown(FrameNormal), (QList<TSeAction>{sbaClose, sbaMinimize, sbaTray, sbaSysMenu, sbaCustom}));
    frame.icons = {kbiClose, kbiMinimize, kbiMaximize, kbiRollup, kbiHelp};
    EXPECT_EQ(shown(FrameNormal),
              (QList<TSeAction>{sbaClose, sbaHelp, sbaMinimize, sbaMaximize, sbaRollUp, sbaCustom}));
    EXPECT_EQ(shown(FrameMaximized),
              (QList<TSeAction>{sbaClose, sbaHelp, sbaMinimize, sbaRestore, sbaRollUp, sbaCustom}));
    EXPECT_EQ(shown(FrameMinimized), (QList<TSeAction>{sbaClose, sbaHelp, sbaRestore, sbaCustom}));
    EXPECT_EQ(shown(FrameRolledUp),
              (QList<TSeAction>{sbaClose, sbaHelp, sbaMinimize, sbaMaximize, sbaRollDown, sbaCustom}));
}

TEST(SkinSystemButtons, MouseStatesAndActions)
{
    FakeFrame frame;
    TSeSystemButton close;
    close.Action = sbaClose;
    close.setBounds(0, 0, 10, 10);
    close.bindOwner(&frame);
    close.mouseEnter(Qt::NoButton);
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Hot);
    close.mouseDown(Qt::LeftButton, QPoint(1, 1));
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Pressed);
    close.mouseMove(Qt::LeftButton, QPoint(2, 2));
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Pressed);
    EXPECT_TRUE(frame.hints.isEmpty()); // no hint while the button is held
    close.mouseUp(Qt::LeftButton, QPoint(2, 2));
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Hot);
    EXPECT_EQ(frame.actions, QList<TSeAction>{sbaClose});
    close.mouseLeave();
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Idle);
    // The hint goes to the button's corner on the screen, as the owner places it.
    close.mouseMove(Qt::NoButton, QPoint(3, 3));
    EXPECT_EQ(frame.hints, QList<QPoint>{QPoint(1000, 500)});
    close.mouseUp(Qt::LeftButton, QPoint(2, 2)); // not pressed: no action
    close.mouseEnter(Qt::LeftButton);
    EXPECT_EQ(close.mouseState(), TSeSystemButton::Pressed);
    EXPECT_EQ(frame.actions.size(), 1);

    TSeSystemButton menu;
    menu.Action = sbaSysMenu;
    menu.bindOwner(&frame);
    menu.dblClick();
    EXPECT_EQ(frame.actions.last(), sbaClose);
}

TEST(SkinSystemButtons, DrawTheBitmapOfTheMouseState)
{
    TSeBitmapList bitmaps;
    bitmaps.push_back(solid("inactive", 4, 4, 0xFF000001u));
    bitmaps.push_back(solid("active", 4, 4, 0xFF000002u));
    bitmaps.push_back(solid("hot", 4, 4, 0xFF000003u));
    bitmaps.push_back(solid("pressed", 4, 4, 0xFF000004u));
    TSeSystemButton b;
    b.Action = sbaClose;
    b.setBitmaps(&bitmaps);
    b.Bitmap = linkTo("inactive", QRect(0, 0, 4, 4));
    b.ActiveBitmap = linkTo("active", QRect(0, 0, 4, 4));
    b.BitmapHot = linkTo("hot", QRect(0, 0, 4, 4));
    b.BitmapPressed = linkTo("pressed", QRect(0, 0, 4, 4));
    b.afterLoad();
    b.setBounds(0, 0, 4, 4);
    auto* glyph = addChild(b, "glyph", saNone, QRect(0, 0, 1, 1));
    glyph->Color = clNone;
    auto drawn = [&] {
        TSeBitmap t = keyTarget(4, 4);
        b.draw(TSeCanvas(&t));
        return t.pixel(2, 2);
    };
    EXPECT_EQ(drawn(), 0xFF000001u);
    EXPECT_EQ(glyph->state(), StateDisabled);
    b.setActive(true);
    EXPECT_EQ(drawn(), 0xFF000002u);
    b.mouseEnter(Qt::NoButton);
    EXPECT_EQ(drawn(), 0xFF000003u);
    EXPECT_EQ(glyph->state(), StateHot);
    b.mouseDown(Qt::LeftButton, QPoint());
    EXPECT_EQ(drawn(), 0xFF000004u);
    EXPECT_EQ(glyph->state(), StatePressed);
}

TEST(SkinSources, SourceFoldersNestChildren)
{
    // The packed skins are the source folders read back: the folder form must give the same trees.
    TSeSkinSource folder;
    loadSkinFolder(QStringLiteral(LANSEEK_SKINS_DIR "/tide"), folder);
    auto packed = embeddedSource(1);
    ASSERT_EQ(folder.objectCount(), packed->objectCount());
    for (int i = 0; i < folder.objectCount(); ++i)
        EXPECT_EQ(folder.object(i)->toForm(), packed->object(i)->toForm());
    EXPECT_EQ(folder.bitmapCount(), packed->bitmapCount());
}

TEST(SkinDrawing, TitlesAreCutWithDots)
{
    TSeFont font;
    const QFont qfont = font.toQFont();
    const QString title = QStringLiteral("聆澜 - 正在下载 七里香.mp3");
    EXPECT_EQ(elideTitle(title, qfont, 10000), title);
    const int width = textWidth(QStringLiteral("聆澜 - 正..."), font);
    const QString cut = elideTitle(title, qfont, width);
    EXPECT_EQ(cut, QStringLiteral("聆澜 - 正..."));
    EXPECT_EQ(elideTitle(title, qfont, 1), QStringLiteral("..."));
}

TEST(SkinDrawing, CanvasOffsetAndClip)
{
    TSeSkinObject box;
    box.Color = 0x0000FF;
    box.Font.Color = clBlack;
    box.Font.Height = -14;
    box.TextAlign = taCenter;
    box.setBounds(10, 10, 40, 20);
    box.setText(QStringLiteral("MM"));
    TSeBitmap target = keyTarget(40, 20);
    TSeCanvas canvas(&target);
    canvas.offset = QPoint(-10, -10); // the object's origin lands on the bitmap's
    canvas.clip = QRegion(0, 0, 40, 20).subtracted(QRegion(0, 0, 20, 20));
    box.draw(canvas);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(target.pixel(x, y), TSeBitmap::kKey) << x << "," << y; // clipped out, text too
        EXPECT_NE(target.pixel(39, y), TSeBitmap::kKey);
    }
    EXPECT_EQ(target.pixel(39, 0), 0xFFFF0000u);
}
