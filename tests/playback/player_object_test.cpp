// Which page objects become our player control, and with which parameters.

#include "playback/player/player_object.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lanseek;
using lanseek::platform::HtmlNode;

namespace {

std::unique_ptr<HtmlNode> element(const QString& tag, std::vector<std::pair<QString, QString>> attrs = {})
{
    auto node = std::make_unique<HtmlNode>();
    node->tag = tag;
    node->attrs = std::move(attrs);
    return node;
}

std::unique_ptr<HtmlNode> param(const QString& name, const QString& value)
{
    return element(QStringLiteral("param"),
                   {{QStringLiteral("name"), name}, {QStringLiteral("value"), value}});
}

std::unique_ptr<HtmlNode> object(const QString& classId)
{
    return element(QStringLiteral("object"),
                   {{QStringLiteral("id"), QStringLiteral("x")}, {QStringLiteral("classid"), classId}});
}

} // namespace

TEST(PlayerObject, TheTwoPlayerClassIdsAreRecognisedInAnyCase)
{
    EXPECT_TRUE(playback::isPlayerClassId(QStringLiteral("clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA")));
    EXPECT_TRUE(playback::isPlayerClassId(QStringLiteral("CLSID:cfcdaa03-8be4-11CF-b84b-0020afbbccfa")));
    EXPECT_TRUE(playback::isPlayerClassId(QStringLiteral("CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95")));
    EXPECT_TRUE(playback::isPlayerClassId(QStringLiteral(" clsid:22d6F312-b0f6-11d0-94ab-0080c74c7e95\n")));
    EXPECT_FALSE(playback::isPlayerClassId(QString()));
    EXPECT_FALSE(playback::isPlayerClassId(QStringLiteral("CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA")));
    EXPECT_FALSE(playback::isPlayerClassId(QStringLiteral("clsid:D27CDB6E-AE6D-11cf-96B8-444553540000")));
    EXPECT_FALSE(playback::isPlayerClassId(QStringLiteral("clsid:22D6f312-B0F6-11D0-94AB-0080C74C7E9")));
}

TEST(PlayerObject, ParamsAreTakenInDocumentOrderLeavingNestedObjectsTheirOwn)
{
    auto outer = object(QStringLiteral("clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA"));
    outer->children.push_back(param(QStringLiteral("AUTOSTART"), QStringLiteral("-1")));
    // A parser may wrap parameters in other elements; they still belong to the object.
    auto wrapper = element(QStringLiteral("span"));
    wrapper->children.push_back(param(QStringLiteral("SRC"), QStringLiteral("file:////a \"b\".rpm")));
    outer->children.push_back(std::move(wrapper));
    auto text = std::make_unique<HtmlNode>();
    text->type = HtmlNode::Type::Text;
    text->text = QStringLiteral("fallback");
    outer->children.push_back(std::move(text));
    auto inner = object(QStringLiteral("clsid:x"));
    inner->children.push_back(param(QStringLiteral("SRC"), QStringLiteral("inner.rm")));
    outer->children.push_back(std::move(inner));

    const platform::ObjectParams params = playback::objectParams(*outer);
    ASSERT_EQ(params.size(), 2u);
    EXPECT_EQ(params[0], std::make_pair(QStringLiteral("AUTOSTART"), QStringLiteral("-1")));
    EXPECT_EQ(params[1], std::make_pair(QStringLiteral("SRC"), QStringLiteral("file:////a \"b\".rpm")));
}

TEST(PlayerObject, PlayerObjectsBecomeAControlPlayingTheirSource)
{
    QWidget host;
    auto real = object(QStringLiteral("clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA"));
    real->children.push_back(param(QStringLiteral("AUTOSTART"), QStringLiteral("0")));
    real->children.push_back(param(QStringLiteral("SRC"), QStringLiteral("file:////tmp/p/1.rpm")));
    auto* control = qobject_cast<platform::MediaPlayerControl*>(playback::createPlayerObject(*real, &host));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget(), &host);
    EXPECT_EQ(control->source(), QStringLiteral("file:////tmp/p/1.rpm"));

    auto windows = object(QStringLiteral("CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95"));
    windows->children.push_back(
        param(QStringLiteral("fileName"), QStringLiteral("file:////tmp/p/winmedia.asx ")));
    windows->children.push_back(param(QStringLiteral("ShowStatusBar"), QStringLiteral("1")));
    auto* wm = qobject_cast<platform::MediaPlayerControl*>(playback::createPlayerObject(*windows, &host));
    ASSERT_NE(wm, nullptr);
    EXPECT_EQ(wm->source(), QStringLiteral("file:////tmp/p/winmedia.asx "));
    EXPECT_TRUE(wm->isStatusBarVisible());
    EXPECT_EQ(wm->sourceUrl().toLocalFile(), QStringLiteral("/tmp/p/winmedia.asx"));
}

TEST(PlayerObject, OtherObjectsAreLeftToThePageView)
{
    QWidget host;
    auto other = object(QStringLiteral("clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"));
    other->children.push_back(param(QStringLiteral("SRC"), QStringLiteral("file:///x.rm")));
    EXPECT_EQ(playback::createPlayerObject(*other, &host), nullptr);
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
}
