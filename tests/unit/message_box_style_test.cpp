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

TEST(MessageBoxStyle, ButtonsIconAndDefaultGiveTheWholeFlagWord)
{
    // Two-button sets: default 1 is the first button, anything else the second.
    // Three-button sets: 1 and 2 the first and second, anything else the third. Icons other than 1 to 4: none.
    struct Case { int32_t buttons, icon, defaultButton; uint32_t style; } cases[] = {
        {0, 1, 1, MB_OK | MB_ICONHAND},                                {1, 4, 1, MB_OKCANCEL | MB_ICONASTERISK},
        {1, 0, 0, MB_OKCANCEL | MB_DEFBUTTON2},                        {2, 5, 1, MB_RETRYCANCEL | MB_DEFBUTTON1},
        {2, 3, 2, MB_RETRYCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2}, {3, -1, 3, MB_YESNO | MB_DEFBUTTON2},
        {3, 2, 2, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2},  // No is the default
        {4, 1, 1, MB_YESNOCANCEL | MB_ICONHAND | MB_DEFBUTTON1},       {4, 0, 9, MB_YESNOCANCEL | MB_DEFBUTTON3},
        {4, 2, 2, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2},   {5, 16, 0, MB_ABORTRETRYIGNORE | MB_DEFBUTTON3},
        {5, 3, 3, MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION | MB_DEFBUTTON3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessageBoxStyle(c.buttons, c.icon, c.defaultButton), c.style)
            << "buttons " << c.buttons << " icon " << c.icon << " default " << c.defaultButton;
}

TEST(MessageBoxAnswer, MapsTheButtonPressed)
{
    // MessageBox returns 0 when the box could not be shown.
    struct Case { int id; int32_t answer; } cases[] = {{IDOK, 1}, {IDYES, 1}, {IDRETRY, 1}, {IDNO, 2}, {IDABORT, 2},
                                                       {IDCANCEL, 0}, {IDIGNORE, 0}, {0, -1}, {8, -1}, {-1, -1}};
    for (const Case& c : cases) EXPECT_EQ(MessageBoxAnswer(c.id), c.answer) << "id " << c.id;
}

}  // namespace
