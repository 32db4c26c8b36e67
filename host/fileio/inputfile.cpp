// SPDX-License-Identifier: MIT
#include "inputfile.h"

#include <echo.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {

namespace {

QString statusProblem(const QString &path, const struct stat &info, qint64 limit)
{
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("'%1' is not a regular file").arg(Utils::echo(path));
    if (info.st_size > limit)
        return QStringLiteral("'%1' is larger than %2 bytes").arg(Utils::echo(path)).arg(limit);
    return {};
}

QString openProblem(const QString &path)
{
    return QStringLiteral("cannot read '%1': %2").arg(Utils::echo(path), QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

QString inputProblem(const QString &path, qint64 limit)
{
    struct stat info;
    if (path.contains(QChar(0)) || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return openProblem(path);
    return statusProblem(path, info, limit);
}

bool readInput(const QString &path, QByteArray *bytes, QString *problem, qint64 limit)
{
    *problem = inputProblem(path, limit);
    if (!problem->isEmpty())
        return false;
    // Non-blocking, so that a FIFO swapped in after the check cannot stall the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        *problem = openProblem(path);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    *problem = statusProblem(path, info, limit);
    // Read straight into the result, sized by the file; the byte past its size shows
    // a file that grew since, which is read on up to the limit.
    QByteArray data;
    qint64 used = 0;
    if (problem->isEmpty())
        data.resize(int(info.st_size) + 1);
    while (problem->isEmpty()) {
        if (used == data.size())
            data.resize(int(qMin(2 * used, limit + 1)));
        const ssize_t n = ::read(fd, data.data() + used, size_t(data.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            *problem = openProblem(path);
        if (n <= 0)
            break;
        used += n;
        if (used > limit)
            *problem = QStringLiteral("'%1' is larger than %2 bytes").arg(Utils::echo(path)).arg(limit);
    }
    ::close(fd);
    if (!problem->isEmpty())
        return false;
    data.truncate(int(used));
    *bytes = data;
    return true;
}

} // namespace FileIO
