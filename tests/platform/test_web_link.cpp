#include <gtest/gtest.h>

#include "platform/web_link.h"

namespace lumarel {
namespace {

TEST(WebLink, PrefixOnlyWhenNotBeginningWithHttp)
{
    EXPECT_EQ(prefixedWebAddress("HTTP://x"), QStringLiteral("HTTP://x"));
    EXPECT_EQ(prefixedWebAddress("hTtPs://example.org/a"), QStringLiteral("hTtPs://example.org/a"));
    EXPECT_EQ(prefixedWebAddress("httpfoo"), QStringLiteral("httpfoo"));  // no "://" is checked
    EXPECT_EQ(prefixedWebAddress("www.x.org"), QStringLiteral("http://www.x.org"));
    EXPECT_EQ(prefixedWebAddress("xhttp"), QStringLiteral("http://xhttp"));
    EXPECT_EQ(prefixedWebAddress(" http://x"), QStringLiteral("http:// http://x"));
    EXPECT_EQ(prefixedWebAddress(""), QStringLiteral("http://"));
}

TEST(WebLink, OpensThePrefixedAddressAndReturnsTheOpenersAnswer)
{
    QList<QUrl> opened;
    bool accept = true;
    const WebOpener opener = [&](const QUrl& url) {
        opened << url;
        return accept;
    };
    EXPECT_TRUE(OpenWebLink("www.x.org/page", opener));
    accept = false;
    EXPECT_FALSE(OpenWebLink("https://lumarel.github.io/", opener));
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(opened[0], QUrl("http://www.x.org/page"));
    EXPECT_EQ(opened[1], QUrl("https://lumarel.github.io/"));

    // An address written with a leading blank is prefixed as it stands, and the opener still gets
    // the address, not an empty one.
    EXPECT_EQ(prefixedWebAddress(" www.x.org"), QStringLiteral("http:// www.x.org"));
    EXPECT_TRUE(OpenWebLink(" www.x.org", [&](const QUrl& url) { opened << url; return true; }));
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened[2].toString(), QStringLiteral("http://www.x.org"));

}

}  // namespace
}  // namespace lumarel
