#include <gtest/gtest.h>

#include <QUrl>

#include "about/about_text.h"
#include "about/web_links.h"
#include "platform/web_link.h"

namespace lumarel {
namespace {

TEST(AboutText, CaptionAndVersionLine)
{
    EXPECT_EQ(aboutCaption(kAppTitle), QStringLiteral("About Lumarel"));
    EXPECT_EQ(versionLine({2, 1, 0}), QStringLiteral("Version 2.1.0"));
    EXPECT_EQ(versionLine({10, 0, 7}), QStringLiteral("Version 10.0.7"));
    const ProgramVersion built = programVersion();
    EXPECT_EQ(versionLine(built), QStringLiteral("Version 2.1.0"));
}

TEST(AboutText, TheProjectsAddressesOpenAsTheyAreShown)
{
    for (const QString& address : {kProgramPageAddress, kSponsorPageAddress, kMakerPageAddress}) {
        EXPECT_EQ(prefixedWebAddress(address), address);
        EXPECT_TRUE(QUrl(address).isValid());
    }
}

}  // namespace
}  // namespace lumarel
