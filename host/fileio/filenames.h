// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace FileIO {

// A file name must be a plain name inside the output directory; empty when it is,
// else one clear problem.
QString fileNameProblem(const QString &name);

} // namespace FileIO
