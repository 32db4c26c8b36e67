// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "modulelock.h"

#include <vector>

namespace FileIO {

// The files of one module, written together. The folder is opened once and every
// name is created relative to it without following links; each file goes to a
// temporary first, flushed to disk, and commit() makes them the module in one piece
// (commitrecord.h: a synced record of the renames, then the renames, then a folder
// sync), so that after a kill at any moment the next run finds the old set or the
// new one. A target that is a link or anything but a regular file is refused before
// a byte is written. The module is locked for the whole write, so that concurrent
// runs on it take turns, and what killed runs left of it is settled first. Whatever
// is not committed is discarded, and folders this write created are removed again.
class StagedFiles
{
public:
    StagedFiles();
    ~StagedFiles();
    StagedFiles(const StagedFiles &) = delete;
    StagedFiles &operator=(const StagedFiles &) = delete;

    // base is the directory the user chose, followed if it is a link; sub names
    // folders inside it (may be empty), created when missing, never links. stem
    // is the module's file name: the lock and the temporaries belong to it.
    bool open(const QString &base, const QString &sub, const QString &stem, QString *problem);
    // Refuses names whose place holds a link, a folder or a special file, or a file
    // that may not be written.
    bool check(const QStringList &names, QString *problem) const;
    bool add(const QString &name, const QByteArray &bytes, QString *problem);
    bool commit(QString *problem);
    void discard();

    bool isOpen() const { return m_dir >= 0; }

    // How long a run waits for another run on the same module.
    static int lockTimeoutMs();

    // For a command about to read module `stem` in `folder`: completes or discards
    // what a killed run left of it, waiting for a run that is writing it, so that
    // the files there are one run's set. Nothing is locked when nothing is left,
    // unless `hold` is given: the module then stays locked in it while the caller
    // reads (in a folder where no lock can be made, such as a read-only one, what
    // is there is read as it is).
    static bool settle(const QString &folder, const QString &stem, QString *problem, ModuleLock *hold = nullptr);

private:
    struct Staged
    {
        QString name;
        QByteArray temporary;
    };

    QString shown(const QString &name) const;
    bool writeRecord(QString *problem);

    int m_dir = -1;
    QString m_folder;
    QString m_stem;
    ModuleLock m_lock;
    QByteArray m_token; // names this run's temporaries
    int m_count = 0;
    std::vector<Staged> m_staged;
    std::vector<std::pair<int, QByteArray>> m_created; // parent folder descriptor, name
};

} // namespace FileIO
