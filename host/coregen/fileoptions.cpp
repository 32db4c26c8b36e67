// SPDX-License-Identifier: MIT
// Checks of the frame's common fields before a core writes anything.
#include "modulegendialog.h"
#include "modulegenerator.h"

#include "moduleoutput.h"

#include <echo.h>
#include <filenames.h>
#include <names.h>

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>

#include <climits>

namespace IPCore {

namespace {

// The module's own names (at most 232 bytes each, see FileIO::fileNameProblem) fit below it.
constexpr int MaxDirectoryBytes = PATH_MAX - 256;

// Why dir cannot hold the output, or empty. A missing directory is fine when its
// nearest existing ancestor is a writable directory.
QString directoryProblem(const QString &dir)
{
    if (dir.isEmpty())
        return QStringLiteral("The output directory is empty.");
    // No file system takes a NUL in a name; the text would be cut there.
    if (dir.contains(QChar(0)))
        return QStringLiteral("The output directory \"%1\" cannot be created.").arg(Utils::echo(dir));
    QFileInfo info(dir);
    // A path the system cannot take whole would be cut, and another folder written.
    if (QFile::encodeName(info.absoluteFilePath()).size() > MaxDirectoryBytes)
        return QStringLiteral("The output directory \"%1\" is too long: at most %2 bytes, which leave room for "
                              "the module's files within the system's limit of %3.")
                .arg(Utils::echo(dir))
                .arg(MaxDirectoryBytes)
                .arg(PATH_MAX);
    if (info.exists()) {
        if (!info.isDir())
            return QStringLiteral("The output path \"%1\" is not a directory.").arg(Utils::echo(dir));
        if (!info.isWritable())
            return QStringLiteral("The output directory \"%1\" is not writable.").arg(Utils::echo(dir));
        return {};
    }
    QString ancestor = info.absoluteFilePath();
    while (!QFileInfo::exists(ancestor)) {
        const QString parent = QFileInfo(ancestor).path();
        if (parent == ancestor)
            break;
        ancestor = parent;
    }
    const QFileInfo existing(ancestor);
    if (!existing.isDir() || !existing.isWritable())
        return QStringLiteral("The output directory \"%1\" cannot be created.").arg(Utils::echo(dir));
    return {};
}

} // namespace

QStringList ModuleGenDialog::checkFileOptions() const
{
    // With no output directory the module's folder is named by the file name alone, so an empty
    // file name is the one problem to report, not an empty directory as well.
    // Nor, when the module's folder is named after a refused file name, the folder as well.
    const QString fileProblem = FileIO::fileNameProblem(fileName());
    const bool pathFromFileName = (createPath().isEmpty() && fileName().isEmpty())
                                  || (!fileProblem.isEmpty()
                                      && QDir::cleanPath(createPath()) != QDir::cleanPath(m_baseDir));
    QStringList errors;
    for (const QString &problem : {ModGen::moduleNameProblem(moduleName()), fileProblem,
                                   pathFromFileName ? QString() : directoryProblem(createPath())}) {
        if (!problem.isEmpty())
            errors << problem;
    }
    return errors;
}

bool ModuleGenDialog::checkModuleName()
{
    const QString problem = ModGen::moduleNameProblem(moduleName());
    if (problem.isEmpty())
        return true;
    showErrorMsg({problem});
    return false;
}

bool ModuleGenDialog::checkModuleName(QStringList &messagelist)
{
    const QString problem = ModGen::moduleNameProblem(moduleName());
    if (problem.isEmpty())
        return true;
    messagelist << QStringLiteral("ERROR: ") + problem;
    return false;
}

QStringList ModuleGenDialog::moduleFiles() const
{
    const QString extension = fileType() == 0 ? QStringLiteral(".v") : QStringLiteral(".vhd");
    const QString stem = createPath() + QLatin1Char('/') + fileName();
    return {stem + extension, stem + QStringLiteral("_tmp") + extension};
}

QString ModuleGenDialog::openModuleOutput()
{
    // Folders named below the chosen directory are the module's own and must not be links.
    const QString base = QDir::cleanPath(m_baseDir);
    const QString folder = QDir::cleanPath(createPath());
    const bool inside = !m_baseDir.isEmpty() && folder.startsWith(base + QLatin1Char('/'));
    QStringList names;
    for (const QString &path : moduleFiles())
        names << QFileInfo(path).fileName();
    names << fileName() + QStringLiteral(".ipc");
    QString problem = directoryProblem(createPath());
    if (!m_output)
        m_output = std::make_unique<ModuleOutput>();
    if (problem.isEmpty())
        m_output->begin(inside ? base : createPath(), inside ? folder.mid(base.size() + 1) : QString(), fileName(),
                        names, &problem);
    return problem;
}

bool ModuleGenDialog::checkFileExisting()
{
    const QString problem = openModuleOutput();
    if (!problem.isEmpty()) {
        showErrorMsg({problem});
        return false;
    }
    QStringList existing;
    for (const QString &path : moduleFiles()) {
        if (QFileInfo::exists(path))
            existing << QDir::toNativeSeparators(path);
    }
    if (!existing.isEmpty()) {
        QMessageBox box(QMessageBox::Question, tr("Overwrite"),
                        tr("These files already exist:\n%1\nOverwrite them?").arg(existing.join(QLatin1Char('\n'))),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setDefaultButton(QMessageBox::No);
        box.setWindowIcon(windowIcon());
        if (box.exec() != QMessageBox::Yes) {
            m_output->discard();
            return false;
        }
    }
    return true;
}

bool ModuleGenDialog::checkFileExisting(QStringList &messagelist)
{
    if (strictBatch()) {
        bool warned = false;
        for (QString &line : messagelist) {
            if (line.startsWith(QLatin1String("WARNING:"))) {
                line.replace(0, int(qstrlen("WARNING")), QStringLiteral("ERROR"));
                warned = true;
            }
        }
        if (warned)
            return false;
    }
    // A script has no one to ask: existing files are overwritten.
    const QString problem = openModuleOutput();
    if (problem.isEmpty())
        return true;
    messagelist << QStringLiteral("ERROR: ") + problem;
    return false;
}

void ModuleGenDialog::showErrorMsg(const QStringList &errors)
{
    QMessageBox box(QMessageBox::Critical, tr("Error"), errors.join(QLatin1Char('\n')), QMessageBox::Ok, this);
    box.setWindowIcon(windowIcon());
    box.exec();
}

} // namespace IPCore
