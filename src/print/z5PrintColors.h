#pragma once
// Black-and-white printing of a report: the writer's colours turned to black and grey. Kept
// beside the writer, below the print options dialog that decides the colour mode.
#include <cstdint>

class TZenpagex;

// Colour mode 0 (black and white): the user colours and the seven OCR colours become black,
// the two shading colours their grey of the same brightness. Any other mode changes nothing.
void MonoPrintColors(std::int32_t ColorMode, TZenpagex& Component);
