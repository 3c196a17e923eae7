#include "probe/ping_probe.h"
