#include <gtest/gtest.h>

#include "about/about_text.h"
#include "about/web_link.h"
#include "about/web_links.h"

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

    // The project's own addresses are opened as they are shown.
    for (const QString& address : {kProgramPageAddress, kSponsorPageAddress, kMakerPageAddress}) {
        EXPECT_EQ(prefixedWebAddress(address), address);
        EXPECT_TRUE(QUrl(address).isValid());
    }
}

TEST(AboutText, CaptionAndVersionLine)
{
    EXPECT_EQ(aboutCaption(kAppTitle), QStringLiteral("About Lumarel"));
    EXPECT_EQ(versionLine({2, 1, 0}), QStringLiteral("Version 2.1.0"));
    EXPECT_EQ(versionLine({10, 0, 7}), QStringLiteral("Version 10.0.7"));
    const ProgramVersion built = programVersion();
    EXPECT_EQ(versionLine(built), QStringLiteral("Version 2.1.0"));
}

}  // namespace
}  // namespace lumarel
