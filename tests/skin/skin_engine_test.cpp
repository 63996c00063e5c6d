#include "skin_test_support.h"

#include "skin/skin_client.h"
#include "skin/skin_engine.h"
#include "skin/skin_hue.h"
#include "skin/skin_preload.h"
#include "support/log_capture.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

TEST(SkinHue, StepsWrapBy255)
{
    // (255, 0, 30) has hue 250 of 255: ten more gives 260 - 255 = 5, which is (255, 30, 0).
    EXPECT_EQ(shiftPixelHue(qRgba(255, 0, 30, 255), 10), qRgba(255, 30, 0, 255));
    EXPECT_EQ(shiftPixelHue(qRgba(255, 30, 0, 255), -10), qRgba(255, 0, 30, 255));
    EXPECT_EQ(shiftPixelHue(qRgba(255, 0, 0, 7), 0), qRgba(255, 0, 0, 255)); // the result is opaque
    // A third of the way round: red becomes green, green blue.
    EXPECT_EQ(shiftPixelHue(qRgb(255, 0, 0), 85), qRgb(0, 255, 0));
    EXPECT_EQ(shiftPixelHue(qRgb(0, 255, 0), 85), qRgb(0, 0, 255));
    // A less saturated colour keeps its lightness and saturation.
    const QRgb teal = shiftPixelHue(qRgb(0x1a, 0xa3, 0x9a), 0);
    EXPECT_LE(std::abs(qRed(teal) - 0x1a) + std::abs(qGreen(teal) - 0xa3) + std::abs(qBlue(teal) - 0x9a), 3);
    for (int delta : {1, 40, -40, 127, 300}) {
        EXPECT_EQ(shiftPixelHue(qRgba(128, 128, 128, 9), delta), qRgba(128, 128, 128, 255));
        EXPECT_EQ(shiftPixelHue(qRgb(255, 255, 255), delta), qRgb(255, 255, 255));
    }
    EXPECT_EQ(shiftColorHue(clNone, 40), clNone);
    EXPECT_EQ(shiftColorHue(0x0000FF, 85), 0x00FF00); // colours are 0x00BBGGRR

    TSeBitmap b(2, 1);
    b.setPixel(0, 0, qRgba(255, 0, 0, 255));
    b.setPixel(1, 0, TSeBitmap::kKey);
    shiftBitmapHue(b, 85);
    EXPECT_EQ(b.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(b.pixel(1, 0), TSeBitmap::kKey); // alpha 0 is never shifted
}

namespace {

// A widget that writes every skin notification it receives into a shared log.
class Client : public QWidget
{
public:
    Client(const QString& name, QStringList* log, QWidget* parent = nullptr) : QWidget(parent), m_log(log)
    {
        setObjectName(name);
    }
    std::function<void()> onBefore;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == skinBeforeChangeEvent() || e->type() == skinAfterChangeEvent()) {
            auto* engineEvent = static_cast<SeEngineEvent*>(e);
            const bool before = e->type() == skinBeforeChangeEvent();
            m_log->append((before ? "before " : "after ") + objectName() +
                          (engineEvent->engine()->findObject("Form") ? "" : " (busy)"));
            if (before && onBefore)
                onBefore();
            return true;
        }
        if (e->type() == QEvent::User) {
            m_log->append("posted " + objectName());
            return true;
        }
        return QWidget::event(e);
    }

private:
    QStringList* m_log;
};

} // namespace

TEST(SkinEngine, NotificationsReachEveryClientInOrder)
{
    QStringList log;
    TSeSkinEngine engine;
    engine.setSkinStream(embeddedSkinStream(1));
    engine.OnBeforeChange = [&](TSeSkinEngine*) { log.append("OnBeforeChange"); };
    engine.OnAfterChange = [&](TSeSkinEngine*) { log.append("OnAfterChange"); };

    Client first("A", &log);
    Client* a1 = new Client("A1", &log, &first);
    Client* a1x = new Client("A1x", &log, a1);
    Client* a2 = new Client("A2", &log, &first);
    Client second("B", &log);
    Client* b1 = new Client("B1", &log, &second);
    for (QObject* client : std::initializer_list<QObject*>{&first, a1, a1x, a2, &second, b1})
        engine.addClient(client);
    // A widget that never registered hears nothing, wherever it lies.
    new Client("stranger", &log, &first);
    first.show();
    second.show();
    QApplication::processEvents();
    // No events are processed between clients: what A posts waits for the event loop.
    first.onBefore = [&] { QCoreApplication::postEvent(&second, new QEvent(QEvent::User)); };

    engine.setDeltaHue(20);
    const QStringList expected = {"OnBeforeChange", "before A",  "before A1", "before A1x",   "before A2",
                                  "before B",       "before B1", "after A",   "after A1",     "after A1x",
                                  "after A2",       "after B",   "after B1",  "OnAfterChange"};
    EXPECT_EQ(log, expected);
    QApplication::processEvents();
    EXPECT_EQ(log.size(), expected.size() + 1);
    EXPECT_EQ(log.last(), "posted B");

    log.clear();
    engine.setDeltaHue(20); // the value it already has: nothing happens
    EXPECT_TRUE(log.isEmpty());
}

TEST(SkinEngine, HueChangesAreIncremental)
{
    TSeSkinEngine engine;
    engine.setSkinStream(embeddedSkinStream(1));
    const TSeBitmap& caption = *engine.source()->bitmaps()[0];
    QPoint at;
    for (int x = 0; x < caption.width() && at.isNull(); ++x)
        if (caption.pixel(x, 10) >> 24)
            at = QPoint(x, 10);
    const quint32 original = caption.pixel(at.x(), at.y());
    const TColor clientColor = engine.source()->formObject()->findObject("Client")->Color;

    engine.setDeltaHue(40);
    const quint32 shifted = caption.pixel(at.x(), at.y());
    EXPECT_EQ(shifted, shiftPixelHue(original, 40));
    EXPECT_NE(shifted, original);
    EXPECT_EQ(engine.source()->formObject()->findObject("Client")->Color, shiftColorHue(clientColor, 40));
    engine.setDeltaHue(0);
    EXPECT_EQ(caption.pixel(at.x(), at.y()), shiftPixelHue(shifted, -40));
    EXPECT_EQ(engine.DeltaHue(), 0);
    EXPECT_EQ(engine.source()->appliedHue(), 0);
}

TEST(SkinEngine, SkinFileChangesRunTheNotificationsAroundABusySource)
{
    QStringList log;
    Client window("W", &log);
    window.show();
    QApplication::processEvents();

    QTemporaryDir dir;
    const QString second = dir.filePath("second.xskn");
    embeddedSource(2)->saveToFile(second);

    TSeSkinEngine engine;
    engine.addClient(&window);
    engine.setSkinStream(embeddedSkinStream(1));
    EXPECT_EQ(engine.source()->SkinName, "Tide");
    engine.setSkinFile(second);
    EXPECT_EQ(engine.source()->SkinName, "Shore");
    EXPECT_EQ(engine.SkinFile(), second);
    // While the skin is replaced, lookups answer nothing; afterwards the new skin is there.
    EXPECT_EQ(log, (QStringList{"before W (busy)", "after W"}));

    log.clear();
    engine.setSkinFile(dir.filePath("missing.kskn"));
    EXPECT_TRUE(engine.source()->isEmpty());
    EXPECT_FALSE(engine.isSkinAvailable());
    EXPECT_EQ(engine.findObject("Form"), nullptr);
    EXPECT_EQ(log, (QStringList{"before W (busy)", "after W (busy)"}));

    // The stored form loads again and forgets the file name.
    engine.setSkinStream(embeddedSkinStream(1));
    EXPECT_TRUE(engine.SkinFile().isEmpty());
    EXPECT_TRUE(engine.isSkinAvailable());
    EXPECT_EQ(engine.skinStream()[0], char(2));
    EXPECT_EQ(engine.SkinStore(), "(none)");
    EXPECT_EQ(engine.Version(), "3.2.0");
}

// A skin the engine was asked for and could not wear leaves its controls without a skin, as before; the
// log tells which file it was and why, once.
TEST(SkinEngineLog, ASkinFileThatCannotBeWornIsOneWarningNamingItAndWhy)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("missing.kskn");
    const QString notes = dir.filePath("notes.txt");
    const QString damaged = dir.filePath("damaged.kskn");
    for (const QString& name : {notes, damaged}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a skin at all, just words");
    }
    const QString skinCategory = QStringLiteral("lanseek.skin");
    LogCapture log;
    TSeSkinEngine engine;
    engine.setSkinStream(embeddedSkinStream(1));

    engine.setSkinFile(missing);
    engine.setSkinFile(notes);
    auto warnings = log.warnings(skinCategory);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[0].text.contains(missing)) << warnings[0].text.toStdString();
    EXPECT_TRUE(warnings[1].text.contains(notes)) << warnings[1].text.toStdString();
    EXPECT_NE(warnings[0].text, warnings[1].text.replace(notes, missing)); // each says its own reason

    // A damaged file is the caller's failure too; the warning adds the file the caller may not know.
    engine.setSkinStream(embeddedSkinStream(1));
    EXPECT_ANY_THROW(engine.setSkinFile(damaged));
    EXPECT_TRUE(engine.source()->isEmpty());
    warnings = log.warnings(skinCategory);
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_TRUE(warnings[2].text.contains(damaged)) << warnings[2].text.toStdString();
}

TEST(SkinEngine, LoadedAnnouncesOnlyARealSkin)
{
    int calls = 0;
    TSeSkinEngine empty;
    empty.OnAfterChange = [&](TSeSkinEngine*) { ++calls; };
    empty.setSkinStream(QByteArray(1, '\0'));
    empty.loaded();
    EXPECT_EQ(calls, 0);
    empty.setSkinStream(embeddedSkinStream(2));
    empty.loaded();
    EXPECT_EQ(calls, 1);
}

TEST(EmbeddedSkins, CarryTheObjectsTheProgramAsksFor)
{
    const QList<QByteArray> names = {"Form",        "MenuBar",   "PopupMenu",  "CheckBox",    "RadioButton",
                                     "ScrollBar",   "Button",    "Tabs",       "ProgressBar", "Edit",
                                     "SpeedButton", "ComboBox",  "GroupBox",   "ListBox",     "ScrollBox",
                                     "Header",      "StatusBar", "SpinButton", "Grid",        "ControlBar",
                                     "Toolbar",     "TrackBar",  "Splitter",   "Panel"};
    for (int index : {1, 2}) {
        SCOPED_TRACE(index);
        TSeSkinEngine engine;
        engine.setSkinStream(embeddedSkinStream(index));
        TSeSkinSource& source = *engine.source();
        ASSERT_EQ(source.objectCount(), names.size());
        for (int i = 0; i < names.size(); ++i)
            EXPECT_EQ(source.object(i)->name(), names[i]);
        EXPECT_EQ(source.loadReport().unknownClasses, 0);
        // The program relies on these two being absent and falling back.
        EXPECT_EQ(engine.findObject("ToolWindow"), nullptr);
        EXPECT_EQ(engine.findObject("Label"), nullptr);
        EXPECT_EQ(engine.findObject("ToolBar"), source.objectByName("Toolbar"));
        EXPECT_EQ(engine.findObject("pRoGrEsSbAr")->name(), "ProgressBar");

        TSeSkinObject* form = engine.formObject();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->Kind, skForm);
        EXPECT_NE(form->findObjectByKind(skTitle), nullptr);
        TSeSkinObject* client = form->findObjectByKind(skClient);
        ASSERT_NE(client, nullptr);
        EXPECT_GT(client->left(), 0);
        EXPECT_GT(client->top(), 0);
        QSet<int> actions;
        std::function<void(TSeSkinObject*)> collect = [&](TSeSkinObject* o) {
            if (auto* b = dynamic_cast<TSeSystemButton*>(o))
                actions.insert(b->Action);
            for (int i = 0; i < o->childCount(); ++i)
                collect(o->child(i));
        };
        collect(form);
        EXPECT_EQ(actions, (QSet<int>{sbaClose, sbaMinimize, sbaMaximize, sbaRestore, sbaRollUp, sbaRollDown,
                                      sbaTray, sbaSysMenu}));
        for (const char* sub : {"Caption", "Title", "CloseButton", "MinButton", "MaxButton", "RestoreButton"})
            EXPECT_NE(form->findObject(sub), nullptr) << sub;
        struct Need
        {
            const char* top;
            QList<const char*> subs;
        };
        const QList<Need> needs = {{"Button", {"Face", "Text"}},
                                   {"SpeedButton", {"Face", "FlatFace", "Text"}},
                                   {"Edit", {"Frame", "Text"}},
                                   {"ComboBox", {"Frame", "Button", "Text"}},
                                   {"ProgressBar", {"Frame", "Bar", "BarHorz", "BarVert"}},
                                   {"Panel", {"Frame", "Caption", "Title", "ButtonRollup", "Button"}},
                                   {"Toolbar", {"Frame"}},
                                   {"StatusBar", {"Frame", "Panel", "Gripper"}},
                                   {"ListBox", {"Frame", "Item"}},
                                   {"PopupMenu", {"Frame", "Item", "Separator"}},
                                   {"MenuBar", {"Item"}}};
        for (const Need& need : needs)
            for (const char* sub : need.subs)
                EXPECT_NE(engine.findObject(need.top)->findObject(sub), nullptr) << need.top << "/" << sub;
    }
}

TEST(EmbeddedSkins, FormFallsBackToTheFirstFormKind)
{
    TSeSkinSource source;
    source.loadStoredForm(embeddedSkinStream(1));
    source.object(0)->setName("Window");
    EXPECT_EQ(source.objectByName("Form"), nullptr);
    EXPECT_EQ(source.formObject(), source.object(0));
    EXPECT_EQ(source.objectByKind(skForm), source.object(0));
    source.setBusy(true);
    EXPECT_EQ(source.object(0), nullptr);
}

TEST(EmbeddedSkins, DecodedAheadTheyAreTheSkinsTheEngineWouldLoad)
{
    EmbeddedSkinPreload preload;
    for (int index : {1, 2}) {
        // A hue set before the skin arrives applies to it, as it does to a skin loaded from its stream.
        TSeSkinEngine direct;
        direct.setDeltaHue(30);
        direct.setSkinStream(embeddedSkinStream(index));

        std::unique_ptr<TSeSkinSource> decoded = preload.take(index);
        ASSERT_NE(decoded, nullptr) << index;
        TSeSkinEngine adopting;
        adopting.setDeltaHue(30);
        adopting.adoptSource(*decoded);
        EXPECT_TRUE(decoded->isEmpty()); // it holds what the empty engine had
        EXPECT_TRUE(adopting.isSkinAvailable());
        EXPECT_EQ(adopting.source()->hue(), 30);
        // Byte for byte the same skin, objects, bitmaps and header strings alike.
        EXPECT_EQ(adopting.skinStream(), direct.skinStream()) << index;
        EXPECT_EQ(adopting.source()->SkinName, direct.source()->SkinName);
        EXPECT_EQ(adopting.formObject()->name(), direct.formObject()->name());
        // Taken once only.
        EXPECT_EQ(preload.take(index), nullptr);
    }
    EXPECT_EQ(preload.take(0), nullptr);
    EXPECT_EQ(preload.take(3), nullptr);
}

TEST(EmbeddedSkins, APreloadNobodyTakesEndsCleanly)
{
    // The helper thread is waited for; its skins are freed with it.
    {
        EmbeddedSkinPreload unused;
    }
    EmbeddedSkinPreload partly;
    EXPECT_NE(partly.take(2), nullptr);
}

TEST(SkinSources, SwapExchangesWholeSkins)
{
    TSeSkinSource full;
    full.loadStoredForm(embeddedSkinStream(1));
    full.setHue(12);
    const int objects = full.objectCount();
    const int bitmaps = full.bitmapCount();
    TSeSkinObject* form = full.formObject();
    TSeSkinSource empty;
    empty.swap(full);
    EXPECT_TRUE(full.isEmpty());
    EXPECT_EQ(full.bitmapCount(), 0);
    EXPECT_EQ(full.hue(), 0);
    EXPECT_EQ(empty.objectCount(), objects);
    EXPECT_EQ(empty.bitmapCount(), bitmaps);
    EXPECT_EQ(empty.hue(), 12);
    // The objects themselves moved, not copies: what pointed into the skin still does.
    EXPECT_EQ(empty.formObject(), form);
}

namespace {

// Stands for the control as its objects see it, counting the repaints they ask for.
class CountingOwner : public SkinOwner
{
public:
    int objectRepaints = 0;
    int wholeRepaints = 0;
    void repaintObject(TSeSkinObject*) override { ++objectRepaints; }
    void repaintAll() override { ++wholeRepaints; }
    SeFrameHost* frameHost() const override { return nullptr; }
    QPoint mapToScreen(const QPoint& point) const override { return point; }
    Qt::LayoutDirection layoutDirection() const override { return Qt::LeftToRight; }
};

// A control that keeps its skin through the shared client protocol.
class SkinnedControl : public QWidget
{
public:
    explicit SkinnedControl(const QByteArray& object) : client(this, &owner, object) {}
    CountingOwner owner;
    SkinClient client;
    QList<bool> copiesSeenBeforeChange;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == skinBeforeChangeEvent())
            copiesSeenBeforeChange.append(client.skinCopy() != nullptr);
        return client.handleEvent(e) || QWidget::event(e);
    }
};

} // namespace

TEST(SkinClients, TakeDropAndRetakeTheirCopies)
{
    auto engine = std::make_unique<TSeSkinEngine>();
    engine->setSkinStream(embeddedSkinStream(2));
    SkinnedControl bar("toolbar");
    SkinnedControl label("Label");
    bar.show();
    label.show();
    QApplication::processEvents();

    bar.client.setSkinEngine(engine.get());
    label.client.setSkinEngine(engine.get());
    ASSERT_TRUE(bar.client.isSkinned());
    EXPECT_EQ(bar.client.skinCopy()->name(), "Toolbar");
    EXPECT_NE(bar.client.skinCopy(), engine->findObject("Toolbar")); // a copy, never the master
    EXPECT_EQ(bar.client.part("FRAME")->owner(), &bar.owner);
    EXPECT_FALSE(label.client.isSkinned()); // the skin has no "Label": plain look

    const TColor frameColor = engine->findObject("Toolbar")->findObject("Frame")->Color;
    engine->setDeltaHue(60);
    EXPECT_EQ(bar.copiesSeenBeforeChange, QList<bool>{true});
    ASSERT_TRUE(bar.client.isSkinned());
    EXPECT_EQ(bar.client.part("Frame")->Color, shiftColorHue(frameColor, 60));

    engine.reset();
    EXPECT_EQ(bar.client.SkinEngine(), nullptr);
    EXPECT_EQ(bar.client.skinCopy(), nullptr);
    EXPECT_FALSE(bar.client.isSkinned());
}

TEST(SkinEngine, HueChangesDoNotReenter)
{
    TSeSkinEngine engine;
    engine.setSkinStream(embeddedSkinStream(1));
    int notifications = 0;
    engine.OnBeforeChange = [&](TSeSkinEngine* e) {
        ++notifications;
        e->setDeltaHue(99); // a handler asking again while the change runs is only remembered
    };
    engine.setDeltaHue(20);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(engine.source()->hue(), 20);
    EXPECT_EQ(engine.DeltaHue(), 99);
    engine.OnBeforeChange = nullptr;
    engine.setDeltaHue(99); // stored already, but not applied: it runs now
    EXPECT_EQ(engine.source()->hue(), 99);
}
