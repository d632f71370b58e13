#include "mediadevice.h"
