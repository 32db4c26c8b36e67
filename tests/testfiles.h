// SPDX-License-Identifier: MIT
#pragma once

// Whole-file reads and writes for the tests: a file that cannot be read reads empty, and a write
// says whether every byte went out.
#include <QFile>

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
