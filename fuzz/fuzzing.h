// SPDX-License-Identifier: MIT
#pragma once

// What every fuzz target shares: an offscreen application, a guard against
// modal windows (nobody would ever close one), and a loud end for a broken
// invariant, so that libFuzzer keeps the input that broke it.
#include "hdlcompile.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace Fuzz {

[[noreturn]] inline void fail(const QString &what)
{
    std::fprintf(stderr, "\nINVARIANT BROKEN: %s\n", qPrintable(what));
    std::fflush(stderr);
    std::abort();
}

// The message is built only when the invariant is broken.
#define FUZZ_CHECK(holds, what) \
    do { \
        if (!(holds)) \
            Fuzz::fail(what); \
    } while (false)

inline void initialize()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings on each input would drown libFuzzer's output and its speed.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtFatalMsg)
            fail(QStringLiteral("qFatal: ") + text);
    });
    // Qt edits argc/argv; libFuzzer parses its flags after this returns, so Qt gets its own.
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    // The targets never run an event loop, so this fires only inside a modal exec().
    static QTimer guard;
    guard.setInterval(0);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            const auto *box = qobject_cast<QMessageBox *>(modal);
            fail(QStringLiteral("a modal window opened in batch use: ")
                 + (box ? box->text() : QString::fromLatin1(modal->metaObject()->className())));
        }
    });
    guard.start();
}

// Files below dir, relative to it, so that a refused run can be told from a written one.
inline QStringList filesIn(const QString &dir)
{
    QStringList files;
    const QDir root(dir);
    for (const QFileInfo &info : root.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        files << (info.isDir() ? info.fileName() + QLatin1Char('/') : info.fileName());
    return files;
}

// Compiling takes far longer than one input, so the fuzzing itself skips it;
// fuzz/run.sh sets MIREL_FUZZ_COMPILE when it replays the grown corpus, and then
// every module a flow reports as generated must compile.
inline void expectCompiles(const QStringList &generated)
{
    static const bool compile = qEnvironmentVariableIsSet("MIREL_FUZZ_COMPILE");
    if (!compile)
        return;
    for (const QString &file : generated) {
        // The template is a snippet to paste, not a unit; the constraints are no HDL.
        if (file.contains(QLatin1String("_tmp."))
            || !(file.endsWith(QLatin1String(".v")) || file.endsWith(QLatin1String(".vhd"))))
            continue;
        const std::optional<QString> error = hdlCompileError(file);
        FUZZ_CHECK(error, QStringLiteral("no compiler installed to check '%1'").arg(file));
        FUZZ_CHECK(error->isEmpty(),
                   QStringLiteral("the generated module '%1' does not compile:\n%2").arg(file, *error));
        std::fprintf(stderr, "COMPILED %s\n", qPrintable(file));
    }
}

} // namespace Fuzz

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::initialize();
    return 0;
}
