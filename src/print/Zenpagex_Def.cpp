#include "print/Zenpagex_Def.h"

#include "platform/Encoding.h"

std::string JobText(std::string_view text) { return sjis::CutToBytes(text, JobTextBytes); }
