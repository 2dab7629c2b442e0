// Company step 0.4.0: a version of its own; the step changes nothing else.
#include "upgrade/z5UserDbUpdate.h"

int32_t ExecUserDbUpdate040() { return userupdate::RunStep({0, 4, 0}, {}); }
