#pragma once
// The colours of the background gradient. Portable.

#include <cstdint>

#include "script/install_plan.h"

// Component of band k of n bands from start to end: the end colour itself is
// one step beyond the last band and never drawn.
int32_t BandComponent(int32_t start, int32_t end, int32_t bands, int32_t k);
ColourTriple BandColour(const ColourTriple& start, const ColourTriple& end, int32_t bands, int32_t k);
