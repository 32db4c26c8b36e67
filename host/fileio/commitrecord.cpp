// SPDX-License-Identifier: MIT
#include "commitrecord.h"

#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO::CommitRecord {

namespace {

// Plain text, so that loading the library builds nothing.
constexpr char Header[] = "mirel staged commit 1\n";
constexpr char End[] = "end\n";
constexpr int HeaderSize = sizeof Header - 1;
constexpr int EndSize = sizeof End - 1;
constexpr int TokenLength = 8;
constexpr qint64 RecordLimit = 1 << 16;

bool isRegular(int dir, const QByteArray &name)
{
    struct stat info;
    return fstatat(dir, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

// The exact shape of a temporary of `stem`, ".STEM.staged-TOKEN-N": no other module's name fits it.
bool isTemporary(const QByteArray &name, const QByteArray &stem)
{
    const QByteArray head = '.' + stem + ".staged-";
    if (!name.startsWith(head) || name.size() < head.size() + TokenLength + 2)
        return false;
    const char *token = name.constData() + head.size();
    const auto isDigit = [](char c) {
        return c >= '0' && c <= '9';
    };
    for (int i = 0; i < TokenLength; ++i) {
        if (!isDigit(token[i]) && !((token[i] >= 'A' && token[i] <= 'Z') || (token[i] >= 'a' && token[i] <= 'z')))
            return false;
    }
    if (token[TokenLength] != '-')
        return false;
    const char *end = name.constData() + name.size();
    return std::all_of(token + TokenLength + 1, end, isDigit);
}

QByteArray readRecord(int dir, const QByteArray &name)
{
    const int fd = openat(dir, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray bytes;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= RecordLimit) {
        bytes.resize(int(info.st_size));
        if (::read(fd, bytes.data(), size_t(bytes.size())) != info.st_size)
            bytes.clear();
    }
    ::close(fd);
    return bytes;
}

// The renames of a whole record; none when it is cut short or names anything but
// this module's temporaries and plain names of its files.
Renames parse(const QByteArray &bytes, const QByteArray &stem)
{
    if (!bytes.startsWith(Header) || !bytes.endsWith(End))
        return {};
    const QList<QByteArray> names = bytes.mid(HeaderSize, bytes.size() - HeaderSize - EndSize).split('\0');
    Renames renames;
    for (int i = 0; i + 1 < names.size(); i += 2) {
        const QByteArray &target = names.at(i + 1);
        if (!isTemporary(names.at(i), stem) || !target.startsWith(stem) || target.contains('/'))
            return {};
        renames.emplace_back(names.at(i), target);
    }
    return names.size() % 2 == 1 && names.last().isEmpty() ? renames : Renames();
}

} // namespace

QByteArray lockName(const QByteArray &stem)
{
    return '.' + stem + ".lock";
}

QByteArray recordName(const QByteArray &stem)
{
    return '.' + stem + ".commit";
}

QByteArray temporaryName(const QByteArray &stem, const QByteArray &token, int index)
{
    return '.' + stem + ".staged-" + token + '-' + QByteArray::number(index);
}

QByteArray newToken()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray token;
    for (int i = 0; i < TokenLength; ++i)
        token += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return token;
}

QByteArray text(const Renames &renames)
{
    QByteArray bytes(Header, HeaderSize);
    for (const auto &rename : renames)
        bytes += rename.first + '\0' + rename.second + '\0';
    return bytes + End;
}

bool settle(int dir, const QByteArray &stem, QByteArray *failed)
{
    const QByteArray record = recordName(stem);
    const Renames renames = parse(readRecord(dir, record), stem);
    bool renamed = false;
    for (const auto &rename : renames) {
        if (!isRegular(dir, rename.first))
            continue; // made before the kill
        struct stat info;
        const bool replaceable = fstatat(dir, rename.second.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0
                                 || S_ISREG(info.st_mode);
        if (!replaceable)
            errno = ELOOP; // a link or folder planted since is not written through
        if (!replaceable || renameat(dir, rename.first.constData(), dir, rename.second.constData()) != 0) {
            *failed = rename.second;
            return false;
        }
        renamed = true;
    }
    if (renamed && ::fsync(dir) != 0) {
        *failed = ".";
        return false;
    }
    unlinkat(dir, record.constData(), 0);
    DIR *listing = fdopendir(fcntl(dir, F_DUPFD_CLOEXEC, 0));
    if (!listing)
        return true;
    rewinddir(listing); // the copy shares its place with `dir`
    while (const dirent *entry = readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (isTemporary(name, stem) && isRegular(dir, name))
            unlinkat(dir, name.constData(), 0);
    }
    closedir(listing);
    return true;
}

bool pending(int dir, const QByteArray &stem)
{
    if (isRegular(dir, recordName(stem)))
        return true;
    DIR *listing = fdopendir(fcntl(dir, F_DUPFD_CLOEXEC, 0));
    bool found = false;
    if (listing)
        rewinddir(listing);
    while (listing && !found) {
        const dirent *entry = readdir(listing);
        if (!entry)
            break;
        found = isTemporary(QByteArray(entry->d_name), stem);
    }
    if (listing)
        closedir(listing);
    return found;
}

} // namespace FileIO::CommitRecord
