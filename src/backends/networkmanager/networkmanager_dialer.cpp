#include "networkmanager/networkmanager_dialer.h"
