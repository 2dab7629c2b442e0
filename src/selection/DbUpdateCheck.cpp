#include "selection/DbUpdateCheck.h"

TDbUpdateCheckFactory DbUpdateCheckFactory;
