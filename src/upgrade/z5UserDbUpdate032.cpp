// Company step 0.3.2: a version of its own; the step changes nothing else.
#include "upgrade/z5UserDbUpdate.h"

int32_t ExecUserDbUpdate032() { return userupdate::RunStep({0, 3, 2}, {}); }
