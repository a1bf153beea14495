#pragma once
// The painted background: the gradient of the install script's colours and,
// with mode 1, its general message.

#include <cstdint>

void PaintBackground(int32_t mode);
