#include <gtest/gtest.h>

#include <cstdint>

#include "windows/message_box.h"

namespace {

// Windows' values, written out so the test does not depend on the toolkit's own copies.
constexpr uint32_t MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
                   MB_RETRYCANCEL = 0x5;
constexpr uint32_t MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONASTERISK = 0x40;
constexpr uint32_t MB_DEFBUTTON1 = 0x0, MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

constexpr uint32_t kButtonMask = 0xF, kIconMask = 0xF0, kDefaultMask = 0xF00;

TEST(MessageBoxStyle, ButtonSets)
{
    struct Case {
        int32_t buttons;
        uint32_t flags;
    } cases[] = {
        {0, MB_OK},          {1, MB_OKCANCEL}, {2, MB_RETRYCANCEL}, {3, MB_YESNO},
        {4, MB_YESNOCANCEL}, {5, MB_ABORTRETRYIGNORE},
    };
    for (const Case& c : cases) {
        for (int32_t defaultButton : {1, 2, 3}) {
            EXPECT_EQ(MessageBoxStyle(c.buttons, 0, defaultButton) & kButtonMask, c.flags)
                << "buttons " << c.buttons << " default " << defaultButton;
        }
    }
}

TEST(MessageBoxStyle, Icons)
{
    struct Case {
        int32_t icon;
        uint32_t flags;
    } cases[] = {
        {1, MB_ICONHAND}, {2, MB_ICONQUESTION}, {3, MB_ICONEXCLAMATION}, {4, MB_ICONASTERISK},
        {0, 0},           {5, 0},               {-1, 0},                 {16, 0},
    };
    for (int32_t buttons = 0; buttons <= 5; ++buttons) {
        for (const Case& c : cases) {
            EXPECT_EQ(MessageBoxStyle(buttons, c.icon, 1) & kIconMask, c.flags)
                << "buttons " << buttons << " icon " << c.icon;
        }
    }
}

TEST(MessageBoxStyle, DefaultOfTwoButtonSets)
{
    // 1 selects the first button, anything else the second.
    struct Case {
        int32_t defaultButton;
        uint32_t flags;
    } cases[] = {
        {1, MB_DEFBUTTON1}, {2, MB_DEFBUTTON2}, {0, MB_DEFBUTTON2},  {3, MB_DEFBUTTON2},
        {-1, MB_DEFBUTTON2}, {4, MB_DEFBUTTON2}, {256, MB_DEFBUTTON2},
    };
    for (int32_t buttons : {1, 2, 3}) {
        for (const Case& c : cases) {
            EXPECT_EQ(MessageBoxStyle(buttons, 0, c.defaultButton) & kDefaultMask, c.flags)
                << "buttons " << buttons << " default " << c.defaultButton;
        }
    }
}

TEST(MessageBoxStyle, DefaultOfThreeButtonSets)
{
    // 1 and 2 select the first and second button, anything else the third.
    struct Case {
        int32_t defaultButton;
        uint32_t flags;
    } cases[] = {
        {1, MB_DEFBUTTON1}, {2, MB_DEFBUTTON2}, {3, MB_DEFBUTTON3},  {0, MB_DEFBUTTON3},
        {-1, MB_DEFBUTTON3}, {4, MB_DEFBUTTON3}, {256, MB_DEFBUTTON3},
    };
    for (int32_t buttons : {4, 5}) {
        for (const Case& c : cases) {
            EXPECT_EQ(MessageBoxStyle(buttons, 0, c.defaultButton) & kDefaultMask, c.flags)
                << "buttons " << buttons << " default " << c.defaultButton;
        }
    }
}

TEST(MessageBoxStyle, WholeFlagWords)
{
    // Nothing beyond the buttons, the icon and the default button is set.
    struct Case {
        int32_t buttons, icon, defaultButton;
        uint32_t style;
    } cases[] = {
        {0, 0, 1, MB_OK},
        {0, 1, 1, MB_OK | MB_ICONHAND},
        {1, 4, 1, MB_OKCANCEL | MB_ICONASTERISK | MB_DEFBUTTON1},
        {1, 2, 2, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2},
        {2, 3, 0, MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2},
        {3, 2, 2, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2},  // No is the default
        {3, 2, 1, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1},
        {4, 1, 2, MB_YESNOCANCEL | MB_ICONHAND | MB_DEFBUTTON2},
        {4, 0, 9, MB_YESNOCANCEL | MB_DEFBUTTON3},
        {5, 3, 3, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION | MB_DEFBUTTON3},
        {5, 7, 1, MB_ABORTRETRYIGNORE | MB_DEFBUTTON1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MessageBoxStyle(c.buttons, c.icon, c.defaultButton), c.style)
            << "buttons " << c.buttons << " icon " << c.icon << " default " << c.defaultButton;
    }
}

TEST(MessageBoxAnswer, ButtonPressed)
{
    struct Case {
        int id;
        int32_t answer;
    } cases[] = {
        {IDOK, 1}, {IDYES, 1}, {IDRETRY, 1}, {IDNO, 2}, {IDABORT, 2}, {IDCANCEL, 0}, {IDIGNORE, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(MessageBoxAnswer(c.id), c.answer) << "id " << c.id;
}

TEST(MessageBoxAnswer, NoButtonMeansMinusOne)
{
    // MessageBox returns 0 when the box could not be shown.
    for (int id : {0, -1, 8, 10, 11, 12, 32000}) EXPECT_EQ(MessageBoxAnswer(id), -1) << "id " << id;
}

}  // namespace
