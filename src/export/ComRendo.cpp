#include "export/ComRendo.h"

// The maker base has no behaviour of its own beyond its initial values.
