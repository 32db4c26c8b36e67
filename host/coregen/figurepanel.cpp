// SPDX-License-Identifier: MIT
#include "figurepanel.h"
