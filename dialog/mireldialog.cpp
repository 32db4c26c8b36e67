// SPDX-License-Identifier: MIT
#include "mireldialog.h"

#include "boxes.h"
#include "calctexts.h"
#include "calculation.h"
#include "configflows.h"
#include "devicelimits.h"
#include "formrules.h"
#include "generation.h"
#include "pllform.h"

#include "ui_pllconfig.h"

#include <configkeys.h>
#include <modulegenerator.h>
#include <pinfigure.h>
#include <portfigure.h>
#include <rangelabels.h>

#include <QMessageBox>
#include <QVariant>
#include <QWidget>

namespace ModMirel {

namespace {

QString ipConfigWriteFailure(const QString &path)
{
    return QStringLiteral("The IP configuration file \"%1\" could not be written.").arg(path);
}

} // namespace

Mirel_Dialog::Mirel_Dialog(const QVariantMap &info, QWidget *parent)
    : IPCore::ModuleGenDialog(parent)
    , ipInfo(info)
{
    uiSetLabelText(ipInfo.value(QStringLiteral("ipcore.label")).toString());
    uiSetModuleName(ipInfo.value(QStringLiteral("ipcore.module")).toString());
    uiSetDefaultFileName(ipInfo.value(QStringLiteral("ipcore.target")).toString());

    auto *page = new QWidget(this);
    form = std::make_unique<PllForm>(page);
    ui = form->ui();
    rules = std::make_unique<FormRules>(*ui, pll, [this] { refreshFigure(); });
    calculation = std::make_unique<Calculation>(*form, pll);
    generation = std::make_unique<Generation>(*this, ipInfo.value(QStringLiteral("ipcore.version")).toString());
    flows = std::make_unique<ConfigFlows>(
            *this, [this] { return settings(); }, ipInfo.value(QStringLiteral("ipcore.id")).toString());
    uiAddTab(page, QStringLiteral("Options"));

    helpDoc = ipInfo.value(QStringLiteral("ipcore.doc.help")).toString();
    connectForm();

    rules->clkinDivider();
    rules->clkfbDivider();
    rules->clkout();
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutd3();
    refreshFigure();
}

Mirel_Dialog::~Mirel_Dialog() = default;

PllSettings Mirel_Dialog::settings() const
{
    PllSettings state = pll;
    state.language = uiLanguageIndex();
    return form->read(state);
}

void Mirel_Dialog::refreshFigure()
{
    QList<Utils::PinFigure> pins;
    for (const Generate::Pin &pin : Generate::portFigure(settings())) {
        if (pin.output)
            pins << Utils::PinFigure(pin.name, 1, false, Qt::AlignRight);
        else
            pins << Utils::PinFigure(pin.name, 0, pin.bus, Qt::AlignLeft);
    }
    uiSetFigurePins(pins);
}

bool Mirel_Dialog::saveIPConfig()
{
    return flows->save();
}

bool Mirel_Dialog::loadIPConfig(const QString &path)
{
    return flows->load(path, batchMessages);
}

void Mirel_Dialog::applyIPConfig(const QVariantMap &config)
{
    flows->apply(config);
}

bool Mirel_Dialog::setProperty(QVariantMap cfgs, QStringList &messagelist)
{
    return flows->setBatchOptions(cfgs, messagelist);
}

QVariantMap Mirel_Dialog::getProperty()
{
    return flows->batchOptions();
}

double Mirel_Dialog::calculateClkout()
{
    form->showResults(QString());
    const Calc::ClkoutResult result = calculation->clkout(settings(), currentLimits(device()));
    if (result.hasMessage()) {
        QString text = CalcText::message(result);
        if (!result.ok) {
            if (const QString more = Calculation::alternatives(settings(), currentLimits(device())); !more.isEmpty())
                text += QLatin1Char('\n') + more;
        }
        Boxes::warning(this, text);
    }
    return result.frequency;
}

double Mirel_Dialog::calculateClkout(QStringList &messagelist)
{
    const Calc::ClkoutResult result = calculation->clkout(settings(), currentLimits(device()));
    messagelist << CalcText::warningLines(result);
    // A script, like the box, learns what can be made instead.
    if (!result.ok) {
        const QString more = Calculation::alternatives(settings(), currentLimits(device()),
                                                       flows->asked(Config::Key::ClkoutFreq));
        for (const QString &line : more.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            messagelist << QStringLiteral("WARNING: ") + line;
    }
    return result.frequency;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq)
{
    const Calc::ClkoutdResult result = calculation->clkoutd(settings(), clkoutFreq);
    if (result.hasMessage())
        Boxes::warning(this, CalcText::message(result));
    return result.ok;
}

bool Mirel_Dialog::calculateClkoutd(double clkoutFreq, QStringList &messagelist)
{
    const Calc::ClkoutdResult result = calculation->clkoutd(settings(), clkoutFreq);
    messagelist << CalcText::warningLines(result);
    return result.ok;
}

bool Mirel_Dialog::onBtnCalculate(bool btnCal)
{
    const double clkoutFreq = calculateClkout();
    if (clkoutFreq == -1.0)
        return false;
    bool ok = true;
    if (pll.clkoutdLive())
        ok = calculateClkoutd(clkoutFreq);
    if (ok)
        form->showResults(Calculation::report(settings(), currentLimits(device())));
    if (ok && btnCal)
        QMessageBox::information(this, QStringLiteral("info"), QStringLiteral("Succeed"));
    return ok;
}

QString Mirel_Dialog::generateModFile()
{
    return IPCore::genModFile(fileName(), createPath(), generation->args(settings()));
}

QString Mirel_Dialog::generateModFile(QStringList &messagelist)
{
    return IPCore::genModFile(fileName(), createPath(), generation->args(settings()), messagelist);
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
        Boxes::warning(this, CalcText::message(Calculation::oddSdivMessage(settings(), currentLimits(device()))));
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
    const Generation::Run run = generation->run(command);
    if (run == Generation::Run::NoModule)
        Boxes::warning(this, tr("Generation failed!"));
    return run == Generation::Run::Opened;
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
        messagelist << CalcText::warningLines(Calculation::oddSdivMessage(settings(), currentLimits(device())));
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

void Mirel_Dialog::refreshDeviceInfo()
{
    form->showRanges(Calc::rangeLabels(currentLimits(device())));
}

void Mirel_Dialog::connectForm()
{
    connect(ui->radioModeGeneral, &QRadioButton::toggled, this, &Mirel_Dialog::onModeChanged);
    connect(ui->radioPhaseDutyDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onPhaseDutyChanged);
    connect(ui->clkinRadioDivideDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkInDivideChanged);
    connect(ui->clkfbRadioDivideDynamic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkFbDivideChanged);
    connect(ui->clkfbComBoxSource, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &Mirel_Dialog::refreshFigure);
    connect(ui->checkLockEn, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->clkoutCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutBypassChanged);
    connect(ui->clkoutRadioDivideStatic, &QRadioButton::toggled, this, &Mirel_Dialog::onClkoutDivideModeChanged);
    connect(ui->clkoutpCheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutPEnableChanged);
    connect(ui->clkoutpCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutPBypassChanged);
    connect(ui->clkoutdCheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutDEnableChanged);
    connect(ui->clkoutdCheckBypass, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutDBypassChanged);
    connect(ui->clkoutd3CheckEnable, &QCheckBox::toggled, this, &Mirel_Dialog::onClkOutD3EnableChanged);
    connect(ui->btnCalculate, &QPushButton::clicked, this, [this] { onBtnCalculate(); });
    connect(ui->checkPllRegulator, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->checkPllReset, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
    connect(ui->checkPllPowerDown, &QCheckBox::toggled, this, &Mirel_Dialog::refreshFigure);
}

void Mirel_Dialog::onModeChanged(bool checked)
{
    pll.generalMode = checked;
    form->clearResults();
    rules->clkinDivider();
    rules->clkfbDivider();
    rules->clkout();
    rules->clkoutd();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onPhaseDutyChanged(bool checked)
{
    pll.phaseDutyDynamic = checked;
    rules->clkout();
    rules->clkoutp();
    refreshFigure();
}

void Mirel_Dialog::onClkInDivideChanged(bool checked)
{
    pll.clkinDivideDynamic = checked;
    rules->clkinDivider();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkFbDivideChanged(bool checked)
{
    pll.clkfbDivideDynamic = checked;
    rules->clkfbDivider();
    ui->btnCalculate->setEnabled(true);
    refreshFigure();
}

void Mirel_Dialog::onClkOutBypassChanged(bool checked)
{
    pll.clkoutNoBypass = !checked;
    rules->clkout();
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkoutDivideModeChanged()
{
    rules->odivMode();
}

void Mirel_Dialog::onClkOutPEnableChanged(bool checked)
{
    pll.clkoutpEnabled = checked;
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutd3();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutPBypassChanged(bool checked)
{
    pll.clkoutpNoBypass = !checked;
    rules->clkoutp();
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDEnableChanged(bool checked)
{
    pll.clkoutdEnabled = checked;
    rules->clkoutd();
    rules->clkoutdSource();
    refreshFigure();
}

void Mirel_Dialog::onClkOutDBypassChanged(bool checked)
{
    pll.clkoutdNoBypass = !checked;
    rules->clkoutd();
    refreshFigure();
}

void Mirel_Dialog::onClkOutD3EnableChanged(bool checked)
{
    pll.clkoutd3Enabled = checked;
    rules->clkoutd3();
    refreshFigure();
}

} // namespace ModMirel
