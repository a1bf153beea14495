#include <gtest/gtest.h>

#include <set>
#include <string>

#include "pages/picture_placement.h"
#include "ui/directory_rules.h"
#include "utilities/fixed_text.h"

namespace {

TEST(DirectoryName, WhatTheRenameCheckRefuses)
{
    struct Case {
        std::string name;
        bool acceptable;
    } cases[] = {
        {"C:\\DEMO", true},
        {"C:\\Program Files\\App", true},
        {"  C:\\DEMO  ", true},
        {"DEMO", true},  // relative names pass here
        {"\\\\server\\share", true},
        {"", false},
        {"     ", false},
        {"C:\\a*b", false},
        {"C:\\a:b", false},
        {"C:\\a?b", false},
        {"C:\\a\"b", false},
        {"C:\\a<b", false},
        {"C:\\a>b", false},
        {"C:\\a|b", false},
        {"C:/DEMO", false},
        {":\\DEMO", false},
        {"CC:\\DEMO", false},
        {"C::\\DEMO", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsAcceptableDirectoryName(c.name), c.acceptable) << '[' << c.name << ']';
}

TEST(DirectoryName, TheRenameMessage)
{
    EXPECT_EQ(kBadDirectoryNameMessage.size(), 81u);
    EXPECT_EQ(kBadDirectoryNameMessage,
              "A directory name cannot contain any of the following characters:\r\t/ : * ? \" < > |");
}

TEST(BrowseStart, TheDeepestExistingAncestor)
{
    struct Case {
        std::string proposed;
        std::set<std::string> existing;
        std::string start;
        std::vector<std::string> tested;
    } cases[] = {
        {"C:\\A\\B\\", {"C:\\A"}, "C:\\A", {"C:\\A\\B\\", "C:\\A"}},
        {"C:\\A\\B", {"C:\\A\\B"}, "C:\\A\\B", {"C:\\A\\B"}},
        {"D:\\x\\y", {}, "D:", {"D:\\x\\y", "D:\\x"}},  // the drive itself is not tested
        {"C:\\", {"C:\\"}, "C:\\", {"C:\\"}},
        {"C:\\Program Files\\App", {"C:\\Program Files"}, "C:\\Program Files", {"C:\\Program Files\\App", "C:\\Program Files"}},
        {"DEMO", {}, "DE", {"DEMO", "DEM"}},  // no backslash: one character at a time
    };
    for (const Case& c : cases) {
        FixedText<261> buffer(c.proposed);
        std::vector<std::string> tested;
        CutToExistingAncestor(buffer, [&](std::string_view path) {
            tested.emplace_back(TrimmedText(path));
            return c.existing.count(std::string(TrimmedText(path))) > 0;
        });
        EXPECT_EQ(buffer.str(), c.start) << c.proposed;
        EXPECT_EQ(tested, c.tested) << c.proposed;
    }
}

TEST(PagePicture, PlacedAtItsOwnSizeAboveTheBottom)
{
    struct Case {
        int32_t width, height, screenWidth, screenHeight;
        float x1, y1, x2, y2;
    } cases[] = {
        {320, 200, 640, 480, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480},
        {640, 460, 640, 480, 0.0f, (1 - 460.0f / 480) / 2, 1.0f, (1 - 460.0f / 480) / 2 + 460.0f / 480},
        {1280, 480, 640, 480, 0.0f, 0.1f, 1.0f, 0.6f},          // reduced to the width
        {640, 960, 640, 480, 0.25f, 0.0f, 0.75f, 1.0f},          // reduced to the height
        {2560, 3840, 640, 480, 0.25f, 0.0f, 0.75f, 1.0f},        // both
        {320, -200, 640, 480, 0.25f, 0.1f, 0.75f, 0.1f + 200.0f / 480},  // stored top-down
        {0, 0, 640, 480, 0.5f, 0.1f, 0.5f, 0.1f},
    };
    for (const Case& c : cases) {
        PictureArea a = PagePictureArea(c.width, c.height, c.screenWidth, c.screenHeight);
        EXPECT_NEAR(a.x1, c.x1, 1e-5) << c.width << 'x' << c.height;
        EXPECT_NEAR(a.y1, c.y1, 1e-5) << c.width << 'x' << c.height;
        EXPECT_NEAR(a.x2, c.x2, 1e-5) << c.width << 'x' << c.height;
        EXPECT_NEAR(a.y2, c.y2, 1e-5) << c.width << 'x' << c.height;
    }
    EXPECT_NEAR(PagePictureArea(320, 200, 640, 480).y2, 0.517f, 0.001f);
}

}  // namespace
