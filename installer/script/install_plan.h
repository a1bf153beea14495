#pragma once
// What the install script says about the background and the pages.

#include <array>
#include <cstdint>

#include "utilities/fixed_text.h"

struct ColourTriple {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
    friend bool operator==(const ColourTriple&, const ColourTriple&) = default;
};

struct GeneralSettings {
    FixedText<4096> message;
    int32_t backgroundStyle = 1;
    int32_t font = 5;
    ColourTriple titleColour{255, 255, 255};
    ColourTriple startFillColour{0, 0, 75};
    ColourTriple endFillColour{0, 0, 255};
    friend bool operator==(const GeneralSettings&, const GeneralSettings&) = default;
};

struct PageText {
    FixedText<261> title;
    FixedText<4096> message;
    bool hasPicture = false;
    FixedText<261> picture;
};

struct InstallPlan {
    GeneralSettings general;
    std::array<PageText, 6> pages;  // 1 to 5; 0 unused
};

InstallPlan& TheInstallPlan();
// The defaults of every setting.
void ResetInstallPlan();
