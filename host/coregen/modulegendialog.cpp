// SPDX-License-Identifier: MIT
#include "modulegendialog.h"
