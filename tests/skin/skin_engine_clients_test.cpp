#include "skin_test_support.h"

#include "skin/skin_client.h"
#include "skin/skin_engine.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// A client without any widget: it writes the notifications it hears into a shared log and may run a
// step of its own when it hears one.
class LoggingClient : public QObject
{
public:
    LoggingClient(QString name, QStringList* log) : m_name(std::move(name)), m_log(log) {}
    std::function<void(bool before)> onNotification;

    bool event(QEvent* e) override
    {
        const bool before = e->type() == skinBeforeChangeEvent();
        if (!before && e->type() != skinAfterChangeEvent())
            return QObject::event(e);
        const auto* engineEvent = static_cast<SeEngineEvent*>(e);
        m_log->append(QStringLiteral("%1 %2 %3")
                          .arg(before ? "before" : "after", m_name, engineEvent->engine()->objectName()));
        if (onNotification)
            onNotification(before);
        return true;
    }

private:
    QString m_name;
    QStringList* m_log;
};

std::unique_ptr<TSeSkinEngine> namedEngine(const QString& name)
{
    auto engine = std::make_unique<TSeSkinEngine>();
    engine->setObjectName(name);
    engine->setSkinStream(embeddedSkinStream(1));
    return engine;
}

// The notifications one hue change sends.
QStringList change(TSeSkinEngine& engine, QStringList& log)
{
    log.clear();
    engine.setDeltaHue(engine.DeltaHue() + 10);
    return log;
}

} // namespace

TEST(SkinEngineClients, HearInTheOrderTheyFirstRegistered)
{
    QStringList log;
    auto engine = namedEngine("E");
    LoggingClient a("a", &log), b("b", &log), c("c", &log);
    engine->addClient(&b);
    engine->addClient(&a);
    engine->addClient(&c);
    engine->addClient(&b); // again: it keeps its place
    engine->addClient(nullptr);
    EXPECT_EQ(engine->clients(), (QList<QObject*>{&b, &a, &c}));
    EXPECT_EQ(change(*engine, log),
              (QStringList{"before b E", "before a E", "before c E", "after b E", "after a E", "after c E"}));

    // Taken off and put back, a client goes to the end.
    engine->removeClient(&b);
    engine->addClient(&b);
    EXPECT_EQ(change(*engine, log),
              (QStringList{"before a E", "before c E", "before b E", "after a E", "after c E", "after b E"}));
}

TEST(SkinEngineClients, ARemovedOrDestroyedClientIsNeverToldAgain)
{
    QStringList log;
    auto engine = namedEngine("E");
    LoggingClient a("a", &log);
    auto b = std::make_unique<LoggingClient>("b", &log);
    auto c = std::make_unique<LoggingClient>("c", &log);
    LoggingClient d("d", &log);
    for (QObject* client : std::initializer_list<QObject*>{&a, b.get(), c.get(), &d})
        engine->addClient(client);

    engine->removeClient(&a);
    c.reset();
    EXPECT_FALSE(engine->hasClient(&a));
    EXPECT_EQ(engine->clients(), (QList<QObject*>{b.get(), &d}));
    EXPECT_EQ(change(*engine, log), (QStringList{"before b E", "before d E", "after b E", "after d E"}));

    // While a notification runs: b takes d off the list before d's turn, and then destroys itself
    // on hearing the end of the change; neither hears anything more.
    b->onNotification = [&](bool before) {
        if (before)
            engine->removeClient(&d);
        else
            b.reset();
    };
    EXPECT_EQ(change(*engine, log), (QStringList{"before b E", "after b E"}));
    EXPECT_EQ(b, nullptr);
    EXPECT_TRUE(engine->clients().isEmpty());
    EXPECT_TRUE(change(*engine, log).isEmpty());
}

TEST(SkinEngineClients, OneDestroyedByAnotherDuringANotificationIsSkipped)
{
    QStringList log;
    auto engine = namedEngine("E");
    LoggingClient first("first", &log);
    auto second = std::make_unique<LoggingClient>("second", &log);
    LoggingClient third("third", &log);
    engine->addClient(&first);
    engine->addClient(second.get());
    engine->addClient(&third);
    first.onNotification = [&](bool) { second.reset(); };
    EXPECT_EQ(change(*engine, log),
              (QStringList{"before first E", "before third E", "after first E", "after third E"}));
    EXPECT_EQ(engine->clients(), (QList<QObject*>{&first, &third}));
}

TEST(SkinEngineClients, OneAddedDuringAChangeHearsOnlyWhatRemainsOfIt)
{
    QStringList log;
    auto engine = namedEngine("E");
    LoggingClient a("a", &log), late("late", &log), later("later", &log);
    engine->addClient(&a);
    // Added while the clients hear that a change begins, `late` is not told that one but hears the
    // change end, which brings what it took meanwhile up to date; `later`, added as the change ends,
    // hears nothing of it.
    a.onNotification = [&](bool before) { engine->addClient(before ? &late : &later); };
    EXPECT_EQ(change(*engine, log), (QStringList{"before a E", "after a E", "after late E"}));
    a.onNotification = nullptr;
    EXPECT_EQ(change(*engine, log), (QStringList{"before a E", "before late E", "before later E", "after a E",
                                                 "after late E", "after later E"}));
}

TEST(SkinEngineClients, TwoEnginesTellOnlyTheirOwnClients)
{
    QStringList log;
    auto first = namedEngine("F");
    auto second = namedEngine("S");
    LoggingClient ofFirst("x", &log), ofSecond("y", &log), ofBoth("z", &log);
    first->addClient(&ofFirst);
    first->addClient(&ofBoth);
    second->addClient(&ofBoth);
    second->addClient(&ofSecond);

    EXPECT_EQ(change(*first, log), (QStringList{"before x F", "before z F", "after x F", "after z F"}));
    EXPECT_EQ(change(*second, log), (QStringList{"before z S", "before y S", "after z S", "after y S"}));
    // Leaving one engine leaves the other's list as it was.
    first->removeClient(&ofBoth);
    EXPECT_EQ(change(*first, log), (QStringList{"before x F", "after x F"}));
    EXPECT_EQ(second->clients(), (QList<QObject*>{&ofBoth, &ofSecond}));
}

namespace {

// Owns nothing on screen; the skin client needs somewhere to send its repaints.
class SilentOwner : public SkinOwner
{
public:
    void repaintObject(TSeSkinObject*) override {}
    void repaintAll() override {}
    SeFrameHost* frameHost() const override { return nullptr; }
    QPoint mapToScreen(const QPoint& point) const override { return point; }
    Qt::LayoutDirection layoutDirection() const override { return Qt::LeftToRight; }
};

// A control of the client protocol built from a plain object: no widget takes part.
class PlainControl : public QObject
{
public:
    explicit PlainControl(const QByteArray& object) : client(this, &owner, object) {}
    SilentOwner owner;
    lanseek::skin::SkinClient client;
    int notifications = 0;

    bool event(QEvent* e) override
    {
        if (e->type() == skinBeforeChangeEvent() || e->type() == skinAfterChangeEvent())
            ++notifications;
        return client.handleEvent(e) || QObject::event(e);
    }
};

} // namespace

TEST(SkinEngineClients, ASkinClientRegistersWithTheEngineItUses)
{
    auto first = namedEngine("F");
    auto second = namedEngine("S");
    auto control = std::make_unique<PlainControl>("Button");
    PlainControl other("Edit");
    other.client.setSkinEngine(first.get());

    control->client.setSkinEngine(first.get());
    EXPECT_EQ(first->clients(), (QList<QObject*>{&other, control.get()}));
    ASSERT_TRUE(control->client.isSkinned());

    // After a change the client takes its copy again, without moving on the list.
    first->setDeltaHue(15);
    EXPECT_EQ(control->notifications, 2);
    EXPECT_TRUE(control->client.isSkinned());
    EXPECT_EQ(first->clients(), (QList<QObject*>{&other, control.get()}));

    // Moving to another engine moves the registration with it.
    control->client.setSkinEngine(second.get());
    EXPECT_EQ(first->clients(), QList<QObject*>{&other});
    EXPECT_EQ(second->clients(), QList<QObject*>{control.get()});
    first->setDeltaHue(30);
    EXPECT_EQ(control->notifications, 2);
    second->setDeltaHue(30);
    EXPECT_EQ(control->notifications, 4);

    // No engine at all, then a client that goes away: neither is left on a list.
    other.client.setSkinEngine(nullptr);
    EXPECT_TRUE(first->clients().isEmpty());
    control.reset();
    EXPECT_TRUE(second->clients().isEmpty());
    second->setDeltaHue(45);
}
