// The painted background and pictures on it, read off the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>

#include "picture_writers.h"
#include "scenario.h"

namespace {

using robot::Pixel;

// Band k of n from start to end, as the background paints it.
int Band(int start, int end, int bands, int k)
{
    return static_cast<int>(static_cast<float>(start) + static_cast<float>(end - start) / bands * k + 0.5f);
}

struct Client {
    RECT r;
    int width() const { return r.right - r.left; }
    int height() const { return r.bottom - r.top; }
    // Screen row in the middle of horizontal band k of n (band 0 at the top).
    int bandRow(int k, int n) const
    {
        int top = static_cast<int>(std::floor(static_cast<double>(k) * height() / n + 0.5));
        int bottom = static_cast<int>(std::floor(static_cast<double>(k + 1) * height() / n + 0.5));
        return r.top + (top + bottom) / 2;
    }
    int bandColumn(int k, int n) const
    {
        int left = static_cast<int>(std::floor(static_cast<double>(k) * width() / n + 0.5));
        int right = static_cast<int>(std::floor(static_cast<double>(k + 1) * width() / n + 0.5));
        return r.left + (left + right) / 2;
    }
};

TEST(Background, DefaultGradientAndMessage)
{
    scenario::Started probe = scenario::StartProbe(
        "paint 1 1 0,0,75 0,0,255 255,255,255 5 \"Welcome to the Demo Product|Second line\"", "default");
    ASSERT_NE(probe.client, nullptr);
    scenario::KeepScreenshot("background-default");
    const Client c{probe.clientOnScreen};
    EXPECT_EQ(c.r.left, 0);
    EXPECT_EQ(c.width(), 1024);

    // 255 bands from (0, 0, 75); band k's blue is truncate(75 + 180k/255 + 0.5).
    for (int k : {0, 1, 17, 100, 127, 200, 253, 254}) {
        const int expected = static_cast<int>(75 + 180.0 * k / 255 + 0.5);
        EXPECT_EQ(robot::ScreenPixel(c.r.left + c.width() - 5, c.bandRow(k, 255)), (Pixel{0, 0, expected})) << "band " << k;
    }
    EXPECT_EQ(robot::ScreenPixel(900, c.r.bottom - 1), (Pixel{0, 0, 254}));  // never the end colour itself

    // The two message lines: white around 5 % and 10 % of the height below the top, nothing at 15 %.
    auto whiteInRows = [&](double fromTop) {
        const int middle = c.r.top + static_cast<int>(fromTop * c.height());
        int white = 0;
        for (int y = middle - 8; y <= middle + 8; y += 2)
            for (int x = c.r.left + 31; x < c.r.left + 500; x += 3)
                if (robot::ScreenPixel(x, y) == (Pixel{255, 255, 255})) ++white;
        return white;
    };
    EXPECT_GT(whiteInRows(0.05), 20);
    EXPECT_GT(whiteInRows(0.10), 20);
    EXPECT_EQ(whiteInRows(0.15), 0);
    // Left-justified at 0.03 of the width: nothing white left of it.
    for (int y = c.r.top + 10; y < c.r.top + c.height() / 8; y += 2)
        EXPECT_NE(robot::ScreenPixel(c.r.left + static_cast<int>(0.03 * 1024) - 3, y), (Pixel{255, 255, 255}));
}

TEST(Background, EveryStyle)
{
    struct Case {
        std::string name;
        int style;
        Pixel start, end;
    } cases[] = {
        {"style0", 0, {10, 120, 30}, {200, 0, 0}},
        {"style1", 1, {255, 255, 0}, {0, 0, 255}},
        {"style2", 2, {0, 0, 0}, {255, 255, 255}},
        {"style3", 3, {255, 255, 255}, {0, 0, 0}},
        {"style1-flat", 1, {90, 90, 90}, {90, 90, 90}},
    };
    for (const Case& t : cases) {
        auto rgb = [](Pixel p) {
            return std::to_string(p.red) + "," + std::to_string(p.green) + "," + std::to_string(p.blue);
        };
        scenario::Started probe = scenario::StartProbe(
            "paint " + std::to_string(t.style) + " 0 " + rgb(t.start) + " " + rgb(t.end) + " 255,255,255 5", t.name);
        ASSERT_NE(probe.client, nullptr) << t.name;
        scenario::KeepScreenshot("background-" + t.name);
        const Client c{probe.clientOnScreen};
        auto band = [&](int k) {
            return Pixel{Band(t.start.red, t.end.red, 255, k), Band(t.start.green, t.end.green, 255, k),
                         Band(t.start.blue, t.end.blue, 255, k)};
        };
        const int right = c.r.right - 3, bottom = c.r.bottom - 3;
        switch (t.style) {
        case 0:
            for (auto [x, y] : {std::pair{c.r.left + 2, c.r.top + 2}, {512, 400}, {right, bottom}})
                EXPECT_EQ(robot::ScreenPixel(x, y), t.start) << t.name;
            break;
        case 1:
            EXPECT_EQ(robot::ScreenPixel(512, c.bandRow(0, 255)), band(0)) << t.name;
            EXPECT_EQ(robot::ScreenPixel(512, c.bandRow(128, 255)), band(128)) << t.name;
            EXPECT_EQ(robot::ScreenPixel(512, c.bandRow(254, 255)), band(254)) << t.name;
            break;
        case 2:
            // Start colour along the top and right edges, the last band in the bottom-left corner.
            EXPECT_EQ(robot::ScreenPixel(c.r.left + 2, c.r.top + 1), band(0)) << t.name;
            EXPECT_EQ(robot::ScreenPixel(right, bottom), band(0)) << t.name;
            EXPECT_EQ(robot::ScreenPixel(c.r.left + 1, bottom + 2), band(254)) << t.name;
            break;
        case 3:
            EXPECT_EQ(robot::ScreenPixel(c.bandColumn(0, 255), 400), band(0)) << t.name;   // leftmost: white
            EXPECT_EQ(robot::ScreenPixel(c.bandColumn(254, 255), 400), band(254)) << t.name;  // rightmost: darkest
            EXPECT_EQ(band(254), (Pixel{1, 1, 1})) << t.name;
            break;
        }
    }
}

// Red, green, blue and yellow quadrants: where they land shows orientation and stretching.
pictures::Indexed Quadrants(int width, int height)
{
    pictures::Indexed p;
    p.width = width;
    p.height = height;
    p.palette = {{255, 0, 0}, {0, 160, 0}, {0, 200, 255}, {255, 255, 0}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.indices.push_back(static_cast<uint8_t>((y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)));
    return p;
}

TEST(Pictures, DrawnExactlyIntoTheArea)
{
    robot::ScratchDirectory dir("pictures");
    pictures::Indexed quadrants = Quadrants(6, 4);
    pictures::Indexed twoColour = quadrants;
    twoColour.palette = {{255, 0, 0}, {0, 200, 255}};
    for (auto& i : twoColour.indices) i = (i == 0 || i == 3) ? 0 : 1;

    struct Case {
        std::string name;
        std::string bytes;
        const pictures::Indexed* picture;
    } cases[] = {
        {"bmp1.bmp", pictures::Bmp(twoColour, 1), &twoColour},
        {"bmp4.bmp", pictures::Bmp(quadrants, 4), &quadrants},
        {"bmp8.bmp", pictures::Bmp(quadrants, 8), &quadrants},
        {"bmp24.bmp", pictures::Bmp(quadrants, 24), &quadrants},
        {"rle8.bmp", pictures::Bmp(quadrants, 8, true), &quadrants},
        {"pcx8.pcx", pictures::Pcx(quadrants, 8), &quadrants},
        {"pcx24.pcx", pictures::Pcx(quadrants, 24), &quadrants},
    };
    for (const Case& t : cases) {
        robot::WriteFile(dir / t.name, t.bytes);
        scenario::Started probe =
            scenario::StartProbe("picture " + (dir / t.name) + " 0.25 0.1 0.75 0.6", t.name.substr(0, t.name.find('.')));
        ASSERT_NE(probe.client, nullptr) << t.name;
        scenario::KeepScreenshot("picture-" + t.name.substr(0, t.name.find('.')));
        EXPECT_EQ(robot::ReadFile(probe.outputFile), "0\r\n") << t.name;
        const Client c{probe.clientOnScreen};
        // The area (0.25, 0.1)-(0.75, 0.6), y from the bottom.
        const int left = c.r.left + static_cast<int>(std::floor(0.25 * c.width() + 0.5));
        const int right = c.r.left + static_cast<int>(std::floor(0.75 * c.width() + 0.5));
        const int top = c.r.top + static_cast<int>(std::floor(0.4 * c.height() + 0.5));
        const int bottom = c.r.top + static_cast<int>(std::floor(0.9 * c.height() + 0.5));
        const pictures::Indexed& p = *t.picture;
        EXPECT_EQ(robot::ScreenPixel(left, top), p.at(0, 0)) << t.name << " top-left corner";
        EXPECT_EQ(robot::ScreenPixel(right - 1, top), p.at(p.width - 1, 0)) << t.name << " top-right corner";
        EXPECT_EQ(robot::ScreenPixel(left, bottom - 1), p.at(0, p.height - 1)) << t.name << " bottom-left corner";
        EXPECT_EQ(robot::ScreenPixel(right - 1, bottom - 1), p.at(p.width - 1, p.height - 1)) << t.name;
        EXPECT_EQ(robot::ScreenPixel((left * 3 + right) / 4, (top * 3 + bottom) / 4), p.at(1, 0)) << t.name;
        // Just outside, the background is untouched: the gradient's blue.
        for (auto [x, y] : {std::pair{left - 1, top}, {right, top}, {left, top - 1}, {left, bottom}}) {
            Pixel outside = robot::ScreenPixel(x, y);
            EXPECT_EQ(outside.red, 0) << t.name << ' ' << x << ',' << y;
            EXPECT_EQ(outside.green, 0) << t.name << ' ' << x << ',' << y;
        }
    }
}

TEST(Pictures, UndrawableFilesLeaveTheAreaAlone)
{
    robot::ScratchDirectory dir("pictures-bad");
    std::string os2 = pictures::Bmp(Quadrants(4, 4), 24);
    os2[14] = 12;  // an OS/2 header
    struct Case {
        std::string name;
        std::string bytes;
        std::string code;
    } cases[] = {
        {"os2.bmp", os2, "27"},
        {"page.ps", "%!PS-Adobe-3.0\n%%EOF\n", "27"},
        {"missing.bmp", "", "1"},
        {"cut.bmp", pictures::Bmp(Quadrants(64, 64), 24).substr(0, 2000), "2"},
    };
    for (const Case& t : cases) {
        if (!t.bytes.empty()) robot::WriteFile(dir / t.name, t.bytes);
        scenario::Started probe = scenario::StartProbe("picture " + (dir / t.name) + " 0.25 0.1 0.75 0.6", "bad");
        ASSERT_NE(probe.client, nullptr) << t.name;
        EXPECT_EQ(robot::ReadFile(probe.outputFile), t.code + "\r\n") << t.name;
        const Client c{probe.clientOnScreen};
        const Pixel middle = robot::ScreenPixel(512, c.r.top + c.height() / 2);
        EXPECT_EQ(middle.red, 0) << t.name;
        EXPECT_EQ(middle.green, 0) << t.name;
    }
}

}  // namespace
