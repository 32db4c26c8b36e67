// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <utility>
#include <vector>

namespace FileIO {

// How a module's files become one set on disk: after a kill at any moment, the
// next run or reader of the module finds the old set or the new one. All names are
// in the module folder; STEM is the module's file name and TOKEN is random per run.
// The names of STEM's files fit no other module's, so a run touches only its own
// module's names, and of those only its own run's while others may be alive:
//
//   .STEM.lock                  flock()ed for the whole run (see ModuleLock)
//   .STEM.staged-TOKEN-N        one temporary per file: written, then fdatasync in the commit
//   .STEM.commit                the commit record: "temporary NUL target NUL" per
//                               file between a header and an end line
//
// commit: the temporaries are synced; the record is written as temporary 0, synced
// and renamed to .STEM.commit, and the folder is synced — from here on the new set
// is the module. Then every temporary is renamed over its target, the folder is
// synced again and the record removed. Before the record is on disk the old files
// stand untouched. A set of one file needs no record: its rename is the commit.
// Several modules committed together (StagedFiles::commitAll) take each step
// together: one pass of syncs for all their files, one for their records, and so on.
//
// Whoever takes the lock next — a run that writes the module, or a command that
// reads it and finds something left — settles first: a whole record is carried out
// (renames still pending are made, the folder synced), and the record and every
// temporary of STEM that is left go, since no run that made them is alive. A
// record without its end line is a run that never reached its commit.
namespace CommitRecord {

using Renames = std::vector<std::pair<QByteArray, QByteArray>>; // temporary, target

QByteArray lockName(const QByteArray &stem);
QByteArray recordName(const QByteArray &stem);
QByteArray temporaryName(const QByteArray &stem, const QByteArray &token, int index);
QByteArray newToken();

QByteArray text(const Renames &renames);

// Settles what runs before this one left of module `stem` in `dir`, whose lock the
// caller holds. False, with errno and the name that failed, when a pending rename
// cannot be made; the record then stays for the next run.
bool settle(int dir, const QByteArray &stem, QByteArray *failed);

// Whether anything of a run is left to settle, so that a reader need not lock.
bool pending(int dir, const QByteArray &stem);

} // namespace CommitRecord

} // namespace FileIO
