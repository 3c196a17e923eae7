#include "pppd/pppd_dialer.h"
