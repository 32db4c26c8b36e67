// SPDX-License-Identifier: MIT
// OK and its batch counterpart: checks, searches, the .ipc file, the generator's
// argument list and the generated module.
#include "boxes.h"
#include "calctexts.h"
#include "configflows.h"
#include "mireldialog.h"

#include <configkeys.h>
#include <editormanager.h>
#include <modargs.h>
#include <modulegenerator.h>

#include <QFileInfo>

#include <memory>

namespace ModMirel {

namespace {

QString ipConfigWriteFailure(const QString &path)
{
    return QStringLiteral("The IP configuration file \"%1\" could not be written.").arg(path);
}

} // namespace

// Reads everything the list needs, host fields in the order the host expects them asked.
QStringList Mirel_Dialog::modArgs() const
{
    Generate::FrameFields frame;
    frame.header = IPCore::modfileHeader(device());
    frame.moduleName = moduleName();
    frame.fileName = fileName();
    frame.createPath = createPath();
    frame.fileTypeWord = IPCore::fileTypeString(fileType());
    frame.ipVersion = ipInfo.value(QStringLiteral("ipcore.version")).toString();
    frame.deviceName = device().device();

    return Generate::buildModArgs(frame, settings());
}

QString Mirel_Dialog::generateModFile()
{
    return IPCore::genModFile(fileName(), createPath(), modArgs());
}

QString Mirel_Dialog::generateModFile(QStringList &messagelist)
{
    return IPCore::genModFile(fileName(), createPath(), modArgs(), messagelist);
}

void Mirel_Dialog::accept()
{
    const QStringList problems = checkFileOptions();
    if (!problems.isEmpty()) {
        showErrorMsg(problems);
        return;
    }
    // The hardware divides CLKOUTD only evenly, whatever the mode or the output's state.
    if (!Calc::sdivIsEven(settings().sdivEntry)) {
        Boxes::warning(this, CalcText::message(Calc::sdivNotEvenMessage()));
        return;
    }
    const double clkoutFreq = calculateClkout();
    if (clkoutFreq == -1.0)
        return;
    if (pll.clkoutdLive() && !calculateClkoutd(clkoutFreq))
        return;
    if (!checkModuleName())
        return;
    if (const QString line = flows->listWithoutItemLine(); !line.isEmpty()) {
        Boxes::warning(this, line.mid(int(qstrlen("ERROR: "))));
        return;
    }
    if (!checkFileExisting())
        return;
    // Without its configuration file a module could not be opened again, and the
    // file left from an earlier run would describe another module.
    if (!saveIPConfig()) {
        Boxes::warning(this, ipConfigWriteFailure(Config::ipcPath(createPath(), fileName())));
        return;
    }
    if (!runModGen())
        return;
    QDialog::accept();
}

bool Mirel_Dialog::runModGen()
{
    const QString command = generateModFile();
    if (command.isEmpty())
        return false;
    const int language = fileType();
    auto proxy = std::make_unique<IPCore::VelkModGenProxy>(nullptr);
    if (proxy->startModGen(command, language, false) != 0)
        return false;

    const QString extension = language == 0 ? QStringLiteral(".v") : QStringLiteral(".vhd");
    const QString stem = createPath() + QLatin1Char('/') + fileName();
    const QString module = stem + extension;
    if (!QFileInfo::exists(module)) {
        Boxes::warning(this, tr("Generation failed!"));
        return false;
    }
    Core::EditorManager::openEditor(module, false);
    Core::EditorManager::openEditor(stem + QStringLiteral("_tmp") + extension, false);
    IPCore::addFilesToProject({module});
    return true;
}

bool Mirel_Dialog::accept(QStringList &messagelist)
{
    const QStringList problems = checkFileOptions();
    if (!problems.isEmpty()) {
        messagelist << problems;
        return false;
    }
    if (!checkModuleName(messagelist))
        return false;
    // An odd divider or a failed search means no setting was approved for these
    // values: generating anyway would hand the script a module it did not ask for.
    if (!Calc::sdivIsEven(settings().sdivEntry)) {
        messagelist << CalcText::warningLine(Calc::sdivNotEvenMessage());
        return false;
    }
    const double clkoutFreq = calculateClkout(messagelist);
    if (clkoutFreq == -1.0)
        return false;
    if (pll.clkoutdLive() && !calculateClkoutd(clkoutFreq, messagelist))
        return false;
    if (const QString line = flows->listWithoutItemLine(); !line.isEmpty()) {
        messagelist << line;
        return false;
    }
    if (!checkFileExisting(messagelist))
        return false;
    if (!saveIPConfig()) {
        messagelist << QStringLiteral("ERROR: ") + ipConfigWriteFailure(Config::ipcPath(createPath(), fileName()));
        return false;
    }
    return !generateModFile(messagelist).isEmpty();
}

} // namespace ModMirel
