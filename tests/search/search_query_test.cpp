#include "search/search_query.h"

#include <gtest/gtest.h>

using namespace lanseek::search;

namespace {
const ServiceEndpoints kService{QStringLiteral("http://mp3.example.com")};
}

TEST(QueryAddress, FirstPageForEveryMediaType)
{
    const char* values[] = {"0", "1", "2", "3", "4"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(firstPageAddress(kService, QStringLiteral("X"), i),
                  QStringLiteral("http://mp3.example.com/m?tn=baidump3&ct=134217728&rn=&word=X&lm=") +
                      QString::fromLatin1(values[i]));
    }
    EXPECT_EQ(firstPageAddress(kService, QStringLiteral("X"), 7),
              QStringLiteral("http://mp3.example.com/m?tn=baidump3&ct=134217728&rn=&word=X&lm=-1"));
    EXPECT_EQ(firstPageAddress(kService, QStringLiteral("X"), -1).right(6), QStringLiteral("&lm=-1"));
}

TEST(QueryAddress, WordIsPlacedUnchanged)
{
    EXPECT_EQ(firstPageAddress(kService, QStringLiteral(" 周 末 & co "), 1),
              QStringLiteral("http://mp3.example.com/m?tn=baidump3&ct=134217728&rn=&word= 周 末 & co &lm=1"));
    EXPECT_EQ(firstPageAddress(kService, QString(), 0),
              QStringLiteral("http://mp3.example.com/m?tn=baidump3&ct=134217728&rn=&word=&lm=0"));
}

TEST(QueryAddress, FollowUpKeysInTheirOwnOrder)
{
    EXPECT_EQ(
        followUpAddress(kService, QStringLiteral("海边"), 2, 2, QStringLiteral("10.0.0.7")),
        QStringLiteral(
            "http://mp3.example.com/m?lm=2&ct=134217728&tn=baidump3&word=海边&pn=60&ip=10.0.0.7&cl=3&z=0"));
}

TEST(QueryAddress, FollowUpBeforeTheLocalAddressIsKnown)
{
    const QString address = followUpAddress(kService, QStringLiteral("a b"), 0, 3, QString());
    EXPECT_TRUE(address.endsWith(QStringLiteral("&pn=90&ip=&cl=3&z=0"))) << address.toStdString();
    EXPECT_TRUE(address.contains(QStringLiteral("&word=a b&"))) << address.toStdString();
}

TEST(QueryAddress, PageLimitStopsAfterOffset480)
{
    EXPECT_TRUE(followUpAllowed(2));
    EXPECT_TRUE(followUpAllowed(16));
    EXPECT_FALSE(followUpAllowed(17));
    EXPECT_FALSE(followUpAllowed(1'000'000'000)); // no overflow into an allowed value
}

TEST(MediaTypes, ValuesAndHeaderIcons)
{
    EXPECT_EQ(mediaTypeValue(4), QStringLiteral("4"));
    EXPECT_EQ(mediaTypeValue(5), QStringLiteral("-1"));
    EXPECT_EQ(mediaTypeIcon(3), 3);
    EXPECT_EQ(mediaTypeIcon(-1), kNoIcon);
    EXPECT_EQ(mediaTypeIcon(5), kNoIcon);
}

TEST(Endpoints, PrefixesFollowTheConfiguredHost)
{
    const ServiceEndpoints local{QStringLiteral("http://127.0.0.1:4567")};
    EXPECT_EQ(local.redirectPrefix(), QStringLiteral("http://127.0.0.1:4567/r?url="));
    EXPECT_EQ(local.queryPrefix(), QStringLiteral("http://127.0.0.1:4567/m?lm="));
    // A service host of thirteen characters gives the classic 27-character redirect prefix.
    EXPECT_EQ(ServiceEndpoints{QStringLiteral("http://mp3.sample.cn")}.redirectPrefix().size(), 27);
}
