// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace FileIO {

// Options and configuration files are a few kilobytes; anything past this is not
// one of them, and reading it would only cost time and memory.
constexpr qint64 InputLimit = 1 << 20;

// Why `path` cannot be read as an input file, or empty: it must be a regular file
// (a FIFO would block, a device never ends) of at most `limit` bytes.
QString inputProblem(const QString &path, qint64 limit = InputLimit);

// Reads a whole input file under the same conditions, checked on the opened file.
bool readInput(const QString &path, QByteArray *bytes, QString *problem, qint64 limit = InputLimit);

} // namespace FileIO
