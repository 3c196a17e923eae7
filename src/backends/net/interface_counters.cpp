#include "net/interface_counters.h"
