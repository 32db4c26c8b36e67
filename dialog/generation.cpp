// SPDX-License-Identifier: MIT
// OK and its batch counterpart: checks, searches, the .ipc file, the generator's
// argument list and the generated module.
#include "mireldialog.h"

#include "ui_pllconfig.h"

#include <editormanager.h>
#include <modargs.h>
#include <modulegenerator.h>

#include <QFileInfo>
#include <QMessageBox>

#include <memory>

namespace ModMirel {

namespace {

const char EvenDividerText[] = "The divide factor of CLKOUTD must be an even number.";

struct FlagState
{
    bool generalMode, phaseDutyDynamic, clkinDivideDynamic, clkfbDivideDynamic, clkoutNoBypass,
        clkoutpEnabled, clkoutpNoBypass, clkoutdEnabled, clkoutdNoBypass, clkoutd3Enabled;
};

struct DividerState
{
    int idivSel, fbdivSel, odivSel, sdivSel;
};

// Reads everything the list needs, host fields in the order the host expects them asked.
Generate::ModArgsInput gatherInput(const IPCore::ModuleGenDialog &dialog, const Ui::PllConfig &ui,
                                   const QVariantMap &ipInfo, const FlagState &flags, const DividerState &dividers)
{
    Generate::ModArgsInput in;
    in.header = IPCore::modfileHeader(dialog.device());
    in.moduleName = dialog.moduleName();
    in.fileName = dialog.fileName();
    in.createPath = dialog.createPath();
    in.fileTypeWord = IPCore::fileTypeString(dialog.fileType());
    in.ipVersion = ipInfo.value(QStringLiteral("ipcore.version")).toString();
    in.deviceName = dialog.device().device();

    in.generalMode = flags.generalMode;
    in.phaseDutyDynamic = flags.phaseDutyDynamic;
    in.clkinDivideDynamic = flags.clkinDivideDynamic;
    in.clkfbDivideDynamic = flags.clkfbDivideDynamic;
    in.clkoutNoBypass = flags.clkoutNoBypass;
    in.clkoutpEnabled = flags.clkoutpEnabled;
    in.clkoutpNoBypass = flags.clkoutpNoBypass;
    in.clkoutdEnabled = flags.clkoutdEnabled;
    in.clkoutdNoBypass = flags.clkoutdNoBypass;
    in.clkoutd3Enabled = flags.clkoutd3Enabled;

    in.idivSel = dividers.idivSel;
    in.fbdivSel = dividers.fbdivSel;
    in.odivSel = dividers.odivSel;
    in.sdivSel = dividers.sdivSel;

    in.idivStatic = ui.clkinSpinDivideStatic->value();
    in.idivDynamic = ui.clkinSpinDivideDyn->value();
    in.fbdivStatic = ui.clkfbSpinDivideStatic->value();
    in.fbdivDynamic = ui.clkfbSpinDivideDyn->value();
    in.odivDynamicChecked = ui.clkoutRadioDivideDyn->isChecked();
    in.odivDynamicText = ui.clkoutComBoxDivideDyn->currentText();
    in.odivStaticText = ui.clkoutComBoxDivideStatic->currentText();
    in.sdivEntry = ui.clkoutdSpinDivider->value();

    in.reset = ui.checkPllReset->isChecked();
    in.powerDown = ui.checkPllPowerDown->isChecked();
    in.regulator = ui.checkPllRegulator->isChecked();
    in.lock = ui.checkLockEn->isChecked();
    in.clkin = ui.clkinSpinFrequency->value();
    in.clkfbIndex = ui.clkfbComBoxSource->currentIndex();
    in.phaseIndex = ui.clkoutpComBoxPhase->currentIndex();
    in.dutyCode = ui.clkoutpComBoxDutyCycle->currentData(Qt::UserRole).toString();
    in.clkoutdSourceClkout = ui.clkoutdRadioSrcClkout->isChecked();
    in.clkoutd3SourceClkout = ui.clkoutd3RadioSrcClkout->isChecked();
    return in;
}

} // namespace

QString Mirel_Dialog::generateModFile()
{
    const QStringList list = Generate::buildModArgs(gatherInput(
        *this, *ui, ipInfo,
        {generalMode, phaseDutyDynamic, clkinDivideDynamic, clkfbDivideDynamic, clkoutNoBypass, clkoutpEnabled,
         clkoutpNoBypass, clkoutdEnabled, clkoutdNoBypass, clkoutd3Enabled},
        {idivSel, fbdivSel, odivSel, sdivSel}));
    return IPCore::genModFile(fileName(), createPath(), list);
}

QString Mirel_Dialog::generateModFile(QStringList &messagelist)
{
    const QStringList list = Generate::buildModArgs(gatherInput(
        *this, *ui, ipInfo,
        {generalMode, phaseDutyDynamic, clkinDivideDynamic, clkfbDivideDynamic, clkoutNoBypass, clkoutpEnabled,
         clkoutpNoBypass, clkoutdEnabled, clkoutdNoBypass, clkoutd3Enabled},
        {idivSel, fbdivSel, odivSel, sdivSel}));
    return IPCore::genModFile(fileName(), createPath(), list, messagelist);
}

void Mirel_Dialog::accept()
{
    const QStringList problems = checkFileOptions();
    if (!problems.isEmpty()) {
        showErrorMsg(problems);
        return;
    }
    // The hardware divides CLKOUTD only evenly, whatever the mode or the output's state.
    if (ui->clkoutdSpinDivider->value() % 2 != 0) {
        showWarning(QString::fromLatin1(EvenDividerText));
        return;
    }
    const double clkoutFreq = calculateClkout();
    if (clkoutFreq == -1.0)
        return;
    if (clkoutdEnabled && clkoutdNoBypass && !calculateClkoutd(clkoutFreq))
        return;
    if (!checkModuleName() || !checkFileExisting())
        return;
    // Without its configuration file a module could not be opened again, and the
    // file left from an earlier run would describe another module.
    if (!saveIPConfig()) {
        showWarning(QStringLiteral("The IP configuration file \"%1\" could not be written.").arg(ipConfigPath()));
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
    const int type = fileType();
    auto proxy = std::make_unique<IPCore::VelkModGenProxy>(nullptr);
    if (proxy->startModGen(command, type, false) != 0)
        return false;

    const QString extension = type == 0 ? QStringLiteral(".v") : QStringLiteral(".vhd");
    const QString modulePath = createPath() + QLatin1Char('/') + fileName() + extension;
    const QString templateName = fileName() + QStringLiteral("_tmp") + extension;
    if (!QFileInfo::exists(modulePath)) {
        QMessageBox box(QMessageBox::Warning, tr("Warning"), tr("Generation failed!"), QMessageBox::Ok, this);
        box.setDefaultButton(QMessageBox::Ok);
        box.setWindowIcon(QIcon(QStringLiteral("://image/module.png")));
        box.exec();
        return false;
    }
    Core::EditorManager::openEditor(modulePath, false);
    Core::EditorManager::openEditor(createPath() + QLatin1Char('/') + templateName, false);
    IPCore::addFilesToProject({modulePath});
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
    if (ui->clkoutdSpinDivider->value() % 2 != 0) {
        messagelist << QStringLiteral("WARNING:") + QString::fromLatin1(EvenDividerText);
        return false;
    }
    const double clkoutFreq = calculateClkout(messagelist);
    if (clkoutFreq == -1.0)
        return false;
    if (clkoutdEnabled && clkoutdNoBypass && !calculateClkoutd(clkoutFreq, messagelist))
        return false;
    if (!checkFileExisting(messagelist))
        return false;
    if (!saveIPConfig()) {
        messagelist << QStringLiteral("ERROR: The IP configuration file \"%1\" could not be written.").arg(ipConfigPath());
        return false;
    }
    return !generateModFile(messagelist).isEmpty();
}

} // namespace ModMirel
