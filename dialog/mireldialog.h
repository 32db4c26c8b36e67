// SPDX-License-Identifier: MIT
#pragma once

#include <modulegendialog.h>
#include <pllsettings.h>

#include <QStringList>
#include <QVariantMap>

#include <memory>

namespace ModMirel {

namespace Ui {
class PllConfig;
}
using PllConfig = Ui::PllConfig;
class PllForm;
class FormRules;
class ConfigFlows;
class Calculation;
class Generation;

// The configuration dialog of the MIREL core: the host's frame plus one
// "Options" tab with the PLL settings. The flags of `pll` mirror check states
// of the form; only the constructor and the slots write them. Everything else
// works on settings(): the form read once into one value.
class Mirel_Dialog : public IPCore::ModuleGenDialog
{
    Q_OBJECT
public:
    Mirel_Dialog(const QVariantMap &info, QWidget *parent);
    ~Mirel_Dialog() override;

    using IPCore::ModuleGenDialog::setProperty;

    // Batch use: problems that would open a box while the dialog is driven
    // without a user (a refused configuration file) become lines here instead.
    void reportToMessageList(QStringList *messagelist) { batchMessages = messagelist; }

    void refreshDeviceInfo() override;

    // The current settings: the flags and dividers of `pll` with everything the
    // form and the frame's language hold, read at this moment.
    PllSettings settings() const;

    // Divider searches: the first overloads report by warning box, the others
    // append "WARNING: " lines. clkoutFreq is what calculateClkout returned.
    double calculateClkout();
    double calculateClkout(QStringList &messagelist);
    bool calculateClkoutd(double clkoutFreq);
    bool calculateClkoutd(double clkoutFreq, QStringList &messagelist);

    // The .ipc file of the current settings (false when it could not be
    // written), loading one and applying a loaded one.
    bool saveIPConfig();
    bool loadIPConfig(const QString &path) override;
    void applyIPConfig(const QVariantMap &config);

    // The generator's argument list, handed to the host; empty when it
    // produced no command.
    QString generateModFile();
    QString generateModFile(QStringList &messagelist);

public slots:
    void accept() override;
    bool setProperty(QVariantMap cfgs, QStringList &messagelist) override;
    bool accept(QStringList &messagelist) override;
    QVariantMap getProperty();

private slots:
    // Each sets its flag, then runs the rule groups it affects.
    void onModeChanged(bool checked);
    void onPhaseDutyChanged(bool checked);
    void onClkInDivideChanged(bool checked);
    void onClkFbDivideChanged(bool checked);
    void onClkOutBypassChanged(bool checked);
    void onClkoutDivideModeChanged();
    void onClkOutPEnableChanged(bool checked);
    void onClkOutPBypassChanged(bool checked);
    void onClkOutDEnableChanged(bool checked);
    void onClkOutDBypassChanged(bool checked);
    void onClkOutD3EnableChanged(bool checked);
    bool onBtnCalculate(bool btnCal = true);
    void refreshFigure();

private:
    void connectForm();
    bool runModGen();

    QVariantMap ipInfo;
    QStringList *batchMessages = nullptr;
    PllSettings pll;
    // The form and the collaborators that work on it, the dialog and `pll`.
    std::unique_ptr<PllForm> form;
    PllConfig *ui = nullptr; // the form's widgets, for the connections
    std::unique_ptr<FormRules> rules;
    std::unique_ptr<Calculation> calculation;
    std::unique_ptr<ConfigFlows> flows;
    std::unique_ptr<Generation> generation;
};

} // namespace ModMirel
