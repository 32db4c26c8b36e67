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
// temporary first, and commit() flushes them to disk and makes them the module in
// one piece (commitrecord.h: a synced record of the renames, then the renames, then
// a folder sync), so that after a kill at any moment the next run finds the old set
// or the new one. commitAll() does the same for several sets with one pass of each
// kind of sync, so that the disk's waits are shared. A target that is a link or anything but a regular file is refused before
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
    // Stages the file's bytes; the commit writes them to the temporary and then to disk
    // (for a group, on the commit's threads, beside the next module's work).
    bool add(const QString &name, const QByteArray &bytes, QString *problem);
    bool commit(QString *problem);
    void discard();

    // Commits the sets in the order given: each one whole or not at all, as commit()
    // does; problems[i] says why set i was not committed, empty when it was.
    static void commitAll(const std::vector<StagedFiles *> &sets, std::vector<QString> *problems);

    // The open module folder, and the module's file name.
    int folder() const { return m_dir; }
    QString stem() const { return m_stem; }

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
        QByteArray bytes;
        int mode = -1; // the replaced file's permissions, -1: a new file's
        int fd = -1;   // the temporary, open from its write until its data is synced
    };

    QString shown(const QString &name) const;
    bool fail(QString *problem, const QString &text);
    int writeTemporary(Staged &staged) const;
    bool closeSynced(const std::vector<int> &errors, QString *problem);
    bool stageRecord(QString *problem);
    bool placeRecord(int error, QString *problem);
    bool renameAll(QString *problem);
    void finish();

    int m_dir = -1;
    QString m_folder;
    QString m_stem;
    ModuleLock m_lock;
    QByteArray m_token; // names this run's temporaries
    int m_count = 0;
    std::vector<Staged> m_staged;
    int m_record = -1;                                 // the commit record's temporary, until it is synced
    std::vector<std::pair<int, QByteArray>> m_created; // parent folder descriptor, name
};

} // namespace FileIO
