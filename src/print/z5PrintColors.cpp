#include "print/z5PrintColors.h"

#include "data/uAccFunction2.h"
#include "print/Zenpagex_Class.h"

void MonoPrintColors(std::int32_t ColorMode, TZenpagex& Component) {
  if (ColorMode != 0) return;
  Component.UserColor1 = 0;
  Component.UserColor2 = 0;
  for (std::int32_t* c : {&Component.OcrGreen, &Component.OcrBlue, &Component.OcrBrown, &Component.OcrPink,
                          &Component.OcrOrange, &Component.OcrViolet, &Component.OcrPurple})
    *c = 0;
  Component.NetColor1 = static_cast<std::int32_t>(GrayColor(static_cast<std::uint32_t>(Component.NetColor1)));
  Component.NetColor2 = static_cast<std::int32_t>(GrayColor(static_cast<std::uint32_t>(Component.NetColor2)));
}
