// Company step 0.3.0: a version of its own; the step changes nothing else.
#include "upgrade/z5UserDbUpdate.h"

int32_t ExecUserDbUpdate030() { return userupdate::RunStep({0, 3, 0}, {}); }
