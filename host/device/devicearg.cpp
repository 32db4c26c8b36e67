// SPDX-License-Identifier: MIT
#include "devicearg.h"
