// SPDX-License-Identifier: MIT
#include "pllform.h"

#include "calctexts.h"
#include "entryguard.h"
#include "pagefit.h"

#include "ui_pllconfig.h"

#include <configkeys.h>
#include <pllmodel.h>
#include <rangelabels.h>

namespace ModMirel {

namespace {

// An ODIV list's current value, 0 without a current item.
int odivOf(const QComboBox *list)
{
    return list->currentText().toInt();
}

} // namespace

PllForm::PllForm(QWidget *page)
    : m_ui(std::make_unique<Ui::PllConfig>())
{
    m_ui->setupUi(page);
    // The key table holds the duty-cycle texts; each item carries its sixteenths.
    const QStringList duty = Config::findByKey(QLatin1String(Config::Key::ClkoutpDutyCycle))->items;
    for (int i = 0; i < duty.size(); ++i)
        m_ui->clkoutpComBoxDutyCycle->addItem(duty.at(i), QString::number(i + PllSettings::kFirstDutySixteenth));
    m_ui->clkoutpComBoxDutyCycle->setCurrentIndex(PllSettings().dutyIndex);

    // Under the Calculate button, where the eye goes after an entry.
    auto *status = new QLabel(page);
    status->setObjectName(QStringLiteral("labelEntryStatus"));
    status->setWordWrap(true);
    // A palette rather than a style sheet: a sheet gives each dialog its own style object.
    QPalette red = status->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    status->setPalette(red);
    m_ui->verticalLayout->insertWidget(m_ui->verticalLayout->indexOf(m_ui->wgtCalculate) + 1, status);
    new EntryGuard(page, status);
    new PageFit(page, m_ui->scrollArea);

    // What the last Calculate settled on, below the entry status.
    m_results = new QLabel(page);
    m_results->setObjectName(QStringLiteral("labelCalcResults"));
    m_results->setAccessibleName(QStringLiteral("Calculated dividers and frequencies"));
    m_results->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_results->setTextFormat(Qt::PlainText);
    m_results->hide();
    m_ui->verticalLayout->insertWidget(m_ui->verticalLayout->indexOf(status) + 1, m_results);
}

PllForm::~PllForm() = default;

PllSettings PllForm::read(const PllSettings &state) const
{
    PllSettings s = state;
    s.reset = m_ui->checkPllReset->isChecked();
    s.powerDown = m_ui->checkPllPowerDown->isChecked();
    s.regulator = m_ui->checkPllRegulator->isChecked();
    s.lock = m_ui->checkLockEn->isChecked();
    s.clkinFreq = m_ui->clkinSpinFrequency->value();
    s.clkfbSource = m_ui->clkfbComBoxSource->currentIndex();
    s.clkoutFreq = m_ui->clkoutSpinFrequency->value();
    s.clkoutTolerance = m_ui->clkoutComBoxTolerance->currentIndex();
    s.clkoutdFreq = m_ui->clkoutdSpinFrequency->value();
    s.clkoutdTolerance = m_ui->clkoutdComBoxTolerance->currentIndex();
    s.idivStatic = m_ui->clkinSpinDivideStatic->value();
    s.idivDynamic = m_ui->clkinSpinDivideDyn->value();
    s.fbdivStatic = m_ui->clkfbSpinDivideStatic->value();
    s.fbdivDynamic = m_ui->clkfbSpinDivideDyn->value();
    s.clkoutDivideDynamic = m_ui->clkoutRadioDivideDyn->isChecked();
    s.odivStatic = odivOf(m_ui->clkoutComBoxDivideStatic);
    s.odivDynamic = odivOf(m_ui->clkoutComBoxDivideDyn);
    s.sdivEntry = m_ui->clkoutdSpinDivider->value();
    s.clkoutDelayStep = m_ui->clkoutComBoxDelayStep->currentIndex();
    s.phaseIndex = m_ui->clkoutpComBoxPhase->currentIndex();
    s.dutyIndex = m_ui->clkoutpComBoxDutyCycle->currentIndex();
    s.clkoutpDelayStep = m_ui->clkoutpComBoxDelayStep->currentIndex();
    s.clkoutdSourceClkout = m_ui->clkoutdRadioSrcClkout->isChecked();
    s.clkoutd3SourceClkout = m_ui->clkoutd3RadioSrcClkout->isChecked();
    return s;
}

int PllForm::showStaticDividers(int idiv, int fbdiv, int odiv)
{
    m_ui->clkinSpinDivideStatic->setValue(idiv);
    m_ui->clkfbSpinDivideStatic->setValue(fbdiv);
    QComboBox *list = m_ui->clkoutComBoxDivideStatic;
    int item = list->findText(QString::number(odiv));
    // A divider the list does not offer falls back as a missing legal one does.
    if (item < 0)
        item = list->findText(QString::number(Calc::kOdivFallback));
    list->setCurrentIndex(item);
    return odivOf(list);
}

void PllForm::showClkoutFrequency(double mhz, bool accepted)
{
    m_ui->clkoutEditActualFrequency->setText(CalcText::frequency(mhz));
    m_ui->clkoutEditActualFrequency->setStyleSheet(CalcText::styleSheet(accepted));
}

void PllForm::showClkoutdResult(double mhz, bool accepted)
{
    m_ui->clkoutdEditActualFrequency->setText(CalcText::frequency(mhz));
    m_ui->clkoutdEditActualFrequency->setStyleSheet(CalcText::styleSheet(accepted));
}

void PllForm::showSdiv(int sdiv)
{
    m_ui->clkoutdSpinDivider->setValue(sdiv);
}

void PllForm::showResults(const QString &text)
{
    m_results->setText(text);
    m_results->setVisible(!text.isEmpty());
}

void PllForm::clearResults()
{
    showResults(QString());
    for (QLineEdit *field : {m_ui->clkoutEditActualFrequency, m_ui->clkoutdEditActualFrequency}) {
        field->clear();
        field->setStyleSheet(QString());
    }
}

void PllForm::showRanges(const Calc::RangeLabels &labels)
{
    m_ui->clkinLabelFrequency->setText(QString::fromStdString(labels.clkinLabel()));
    m_ui->clkinSpinFrequency->setRange(labels.clkinMin, labels.clkinMax);
    m_ui->clkoutLabelFrequency->setText(QString::fromStdString(labels.clkoutLabel()));
    m_ui->clkoutSpinFrequency->setRange(labels.clkoutMin, labels.clkoutMax);
    m_ui->clkoutdLabelFrequency->setText(QString::fromStdString(labels.clkoutdLabel()));
    m_ui->clkoutdSpinFrequency->setRange(labels.clkoutdMin, labels.clkoutdMax);
}

} // namespace ModMirel
