// SPDX-License-Identifier: MIT
#include "modulelock.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {

namespace {

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

ModuleLock::Outcome ModuleLock::take(int dir, const QByteArray &name, int timeoutMs)
{
    release();
    QElapsedTimer clock;
    clock.start();
    // The holder's descriptor closes when it lets go or dies; a watch on the file
    // wakes the waiter then, rather than at the next turn of a timer. It is made only
    // when another run holds the lock: closing a watch costs the kernel a grace
    // period, a millisecond a module in a run creating many.
    int events = -1;
    bool watchMade = false;
    const auto fail = [&](Outcome outcome, int fd) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (events >= 0)
            ::close(events);
        errno = error;
        return outcome;
    };
    for (;;) {
        const int fd = openat(dir, name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0)
            return fail(Failed, fd);
        bool watched = false;
        while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return fail(Failed, fd);
            if (!watchMade) {
                events = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
                watchMade = true;
            }
            if (events >= 0 && !watched) {
                // Tried again at once: the holder may have let go before the watch was there.
                inotify_add_watch(events, QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(),
                                  IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF);
                watched = true;
                continue;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0)
                return fail(Busy, fd);
            // The kernel posts a dying holder's close before it drops the holder's lock, so a
            // wake-up may come too early: the waiter looks again at least every 100 ms.
            // Without a watch (the system's limit on them reached) it looks every few milliseconds.
            pollfd wake{events, POLLIN, 0};
            if (poll(events >= 0 ? &wake : nullptr, events >= 0 ? 1 : 0, int(qMin<qint64>(left, events >= 0 ? 100 : 5)))
                > 0) {
                char drained[4096];
                while (::read(events, drained, sizeof drained) > 0) {
                }
            }
        }
        struct stat held, named;
        if (fstat(fd, &held) == 0 && fstatat(dir, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0
            && sameFile(held, named)) {
            if (events >= 0)
                ::close(events);
            m_fd = fd;
            m_dir = fcntl(dir, F_DUPFD_CLOEXEC, 0); // the caller may close its own
            m_name = name;
            return Taken;
        }
        ::close(fd); // its holder removed it while letting go
    }
}

void ModuleLock::release()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so that no one takes a lock on a file without a name;
    // unlocked before the close, whose event wakes the waiters.
    unlinkat(m_dir, m_name.constData(), 0);
    flock(m_fd, LOCK_UN);
    ::close(m_fd);
    ::close(m_dir);
    m_fd = m_dir = -1;
}

} // namespace FileIO
