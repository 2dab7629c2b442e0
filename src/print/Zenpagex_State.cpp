#include "print/Zenpagex_State.h"

void TZenpagexState::Reset() { *this = TZenpagexState(); }

TZenpagexState& Zpx() {
  static TZenpagexState state;
  return state;
}
