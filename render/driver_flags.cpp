#include "render/driver_flags.h"

bool oldNvidia = false;
