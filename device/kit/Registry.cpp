#include "DeviceKit.h"
