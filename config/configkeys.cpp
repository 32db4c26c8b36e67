// SPDX-License-Identifier: MIT
#include "configkeys.h"

#include <pllmodel.h>

namespace ModMirel {
namespace Config {

QString ipcPath(const QString &dir, const QString &fileName)
{
    return dir + QLatin1Char('/') + fileName + QLatin1String(FileSuffix);
}

QStringList languageItems()
{
    return {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("Verilog"), QStringLiteral("VHDL")};
}

int languageIndex(const QVariant &value)
{
    const int type = value.userType();
    const bool number = type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong
                        || type == QMetaType::ULongLong || type == QMetaType::Double;
    const QString text = number ? QString::number(value.toDouble()) : value.toString();
    const QStringList items = languageItems();
    for (int i = 0; i < items.size(); ++i) {
        if (text.compare(items.at(i), Qt::CaseInsensitive) == 0)
            return i % 2;
    }
    return -1;
}

Condition always()
{
    return {};
}

Condition never()
{
    Condition condition;
    condition.never = true;
    return condition;
}

Condition when(Term a, Term b, Term c)
{
    Condition condition;
    condition.terms[0] = a;
    condition.terms[1] = b;
    condition.terms[2] = c;
    return condition;
}

bool holds(const Condition &condition, const QVariantMap &values)
{
    return !condition.never && !brokenTerm(condition, values);
}

const Term *brokenTerm(const Condition &condition, const QVariantMap &values)
{
    if (condition.never)
        return nullptr;
    for (const Term &term : condition.terms) {
        if (term.fileKey && values.value(QLatin1String(term.fileKey)).toBool() != term.value)
            return &term;
    }
    return nullptr;
}

namespace {

// Builds one row with named setters, so that the table below reads column by column.
class Row
{
public:
    Row(const char *key, Kind kind, const char *control)
    {
        m_entry.key = key;
        m_entry.fileKey = key;
        m_entry.kind = kind;
        m_entry.control = control;
    }
    Row &inFileAs(const char *fileKey)
    {
        m_entry.fileKey = fileKey;
        return *this;
    }
    Row &partner(const char *name)
    {
        m_entry.partner = name;
        return *this;
    }
    Row &member(Member member)
    {
        m_entry.member = member;
        return *this;
    }
    Row &selectedBy(const char *selector, const char *alternative, Member alternativeMember, const Condition &onLoad)
    {
        m_entry.selector = selector;
        m_entry.alternative = alternative;
        m_entry.alternativeMember = alternativeMember;
        m_entry.loadPicksControl = onLoad;
        return *this;
    }
    Row &formDefault(const char *text)
    {
        m_entry.formDefault = QLatin1String(text);
        return *this;
    }
    Row &range(double minimum, double maximum)
    {
        m_entry.minimum = minimum;
        m_entry.maximum = maximum;
        return *this;
    }
    Row &items(const QStringList &items)
    {
        m_entry.items = items;
        return *this;
    }
    Row &written(const Condition &condition)
    {
        m_entry.written = condition;
        return *this;
    }
    Row &read(const Condition &condition)
    {
        m_entry.read = condition;
        return *this;
    }
    Row &batch(BatchUse use, const QVariant &defaultValue = QVariant())
    {
        m_entry.batch = use;
        m_entry.batchDefault = defaultValue;
        return *this;
    }
    operator Entry() const { return m_entry; }

private:
    Entry m_entry;
};

// The file's value of a member as it is, negated (a bypass box mirrors a
// "no bypass" flag) and as an ODIV list's item text.
template<auto M>
QVariant get(const PllSettings &s)
{
    return s.*M;
}
template<bool PllSettings::*M>
QVariant negated(const PllSettings &s)
{
    return !(s.*M);
}
template<int PllSettings::*M>
QVariant odivText(const PllSettings &s)
{
    return s.*M == 0 ? QString() : QString::number(s.*M);
}

QStringList tolerances()
{
    QStringList items;
    for (double percent : Calc::kTolerancePercents)
        items << QString::number(percent, 'f', 1);
    return items;
}

// The values the searches try, in their order.
QStringList odivItems()
{
    QStringList items;
    for (int odiv : Calc::kOdivCandidates)
        items << QString::number(odiv);
    return items;
}

QStringList phases()
{
    return {QStringLiteral("0.0"), QStringLiteral("22.5"),  QStringLiteral("45"),  QStringLiteral("67.5"),
            QStringLiteral("90"),  QStringLiteral("112.5"), QStringLiteral("135"), QStringLiteral("157.5"),
            QStringLiteral("180"), QStringLiteral("202.5"), QStringLiteral("225"), QStringLiteral("247.5"),
            QStringLiteral("270"), QStringLiteral("292.5"), QStringLiteral("315"), QStringLiteral("337.5")};
}

// n/16 from n = 2, rounded half-up to three decimals, which printf-style
// rounding (half-even) would get wrong for 5/16 and 13/16.
QStringList dutyCycles()
{
    return {QStringLiteral("0.125"), QStringLiteral("0.188"), QStringLiteral("0.250"), QStringLiteral("0.313"),
            QStringLiteral("0.375"), QStringLiteral("0.438"), QStringLiteral("0.500"), QStringLiteral("0.563"),
            QStringLiteral("0.625"), QStringLiteral("0.688"), QStringLiteral("0.750"), QStringLiteral("0.813"),
            QStringLiteral("0.875")};
}

// The rows in the order applyIPConfig reads them: each control's signals run the
// rules at once, so a switch comes before what it enables, an output before its
// bypass, source and divider.
QVector<Entry> buildTable()
{
    using namespace Key;
    const Condition advanced = when(isNot(ModeGeneral));
    const Condition generalClkoutLive = when(is(ModeGeneral), isNot(ClkoutBypass));
    const Condition generalClkoutdLive = when(is(ModeGeneral), is(Clkoutd), isNot(ClkoutdBypass));
    const Condition advancedClkoutdLive = when(isNot(ModeGeneral), is(Clkoutd), isNot(ClkoutdBypass));
    const Condition clkoutpLiveStatic = when(is(Clkoutp), isNot(ClkoutpBypass), isNot(Dynamic));
    const Condition clkoutdSourced = when(is(Clkoutd), isNot(ClkoutdBypass));

    return {
            Row(Lang, Kind::Language, nullptr)
                    .member(get<&PllSettings::language>)
                    .formDefault("0")
                    .written(always())
                    .read(always()),
            Row(ModeGeneral, Kind::Switch, "radioModeGeneral")
                    .member(get<&PllSettings::generalMode>)
                    .partner("radioModeAdvanced")
                    .formDefault("true")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Switch),
            Row(Dynamic, Kind::Switch, "radioPhaseDutyDynamic")
                    .member(get<&PllSettings::phaseDutyDynamic>)
                    .partner("radioPhaseDutyStatic")
                    .formDefault("true")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::SetThenSwitch, true),
            Row(ResetPll, Kind::Check, "checkPllReset")
                    .member(get<&PllSettings::reset>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(PllPwd, Kind::Check, "checkPllPowerDown")
                    .member(get<&PllSettings::powerDown>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(PllRegulator, Kind::Check, "checkPllRegulator")
                    .member(get<&PllSettings::regulator>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(ClkinFreq, Kind::Real, "clkinSpinFrequency")
                    .member(get<&PllSettings::clkinFreq>)
                    .formDefault("100.000")
                    .range(3.0, 450.0)
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, QStringLiteral("100.000")),
            Row(ClkinDivideDyn, Kind::Switch, "clkinRadioDivideDynamic")
                    .member(get<&PllSettings::clkinDivideDynamic>)
                    .partner("clkinRadioDivideStatic")
                    .formDefault("true")
                    .written(advanced)
                    .read(advanced)
                    .batch(BatchUse::SetThenSwitch, true),
            Row(ClkinDivideSel, Kind::Whole, "clkinSpinDivideDyn")
                    .member(get<&PllSettings::idivDynamic>)
                    .selectedBy(ClkinDivideDyn, "clkinSpinDivideStatic", get<&PllSettings::idivStatic>,
                                when(is(ClkinDivideDyn)))
                    .formDefault("1")
                    .range(Calc::kDividerMin, Calc::kDividerMax)
                    .written(advanced)
                    .read(advanced)
                    .batch(BatchUse::Set, 1),
            Row(ClkfbSource, Kind::ItemIndex, "clkfbComBoxSource")
                    .member(get<&PllSettings::clkfbSource>)
                    .formDefault("Internal")
                    .items({QStringLiteral("Internal"), QStringLiteral("External")})
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, QStringLiteral("Internal")),
            Row(ClkfbDivideDyn, Kind::Switch, "clkfbRadioDivideDynamic")
                    .member(get<&PllSettings::clkfbDivideDynamic>)
                    .partner("clkfbRadioDivideStatic")
                    .formDefault("true")
                    .written(advanced)
                    .read(advanced)
                    .batch(BatchUse::SetThenSwitch, true),
            Row(ClkfbDivideSel, Kind::Whole, "clkfbSpinDivideDyn")
                    .member(get<&PllSettings::fbdivDynamic>)
                    .selectedBy(ClkfbDivideDyn, "clkfbSpinDivideStatic", get<&PllSettings::fbdivStatic>,
                                when(is(ClkfbDivideDyn)))
                    .formDefault("1")
                    .range(Calc::kDividerMin, Calc::kDividerMax)
                    .written(advanced)
                    .read(advanced)
                    .batch(BatchUse::Set, 1),
            Row(LockEn, Kind::Check, "checkLockEn")
                    .member(get<&PllSettings::lock>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(ClkoutBypass, Kind::Check, "clkoutCheckBypass")
                    .member(negated<&PllSettings::clkoutNoBypass>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(ClkoutDivideDyn, Kind::Switch, "clkoutRadioDivideDyn")
                    .member(get<&PllSettings::clkoutDivideDynamic>)
                    .partner("clkoutRadioDivideStatic")
                    .formDefault("true")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::SetThenSwitch, true),
            // Read back in either mode; a General Mode file has none, which leaves the
            // static list without a current item until the next search picks one.
            Row(ClkoutDivider, Kind::ItemText, "clkoutComBoxDivideDyn")
                    .member(odivText<&PllSettings::odivDynamic>)
                    .selectedBy(ClkoutDivideDyn, "clkoutComBoxDivideStatic", odivText<&PllSettings::odivStatic>,
                                when(isNot(ModeGeneral), is(ClkoutDivideDyn)))
                    .formDefault("2")
                    .items(odivItems())
                    .written(advanced)
                    .read(always())
                    .batch(BatchUse::Set, QStringLiteral("2")),
            Row(ClkoutFreq, Kind::Real, "clkoutSpinFrequency")
                    .member(get<&PllSettings::clkoutFreq>)
                    // Within every device's output window: a new module calculates as it comes.
                    .formDefault("100.000")
                    .range(3.125, 999999999.0)
                    .written(generalClkoutLive)
                    .read(generalClkoutLive)
                    .batch(BatchUse::Set, QStringLiteral("100.000")),
            Row(ClkoutTolerance, Kind::ItemIndex, "clkoutComBoxTolerance")
                    .member(get<&PllSettings::clkoutTolerance>)
                    .formDefault("0.0")
                    .items(tolerances())
                    .written(generalClkoutLive)
                    .read(generalClkoutLive)
                    .batch(BatchUse::Set, QStringLiteral("0.0")),
            // The delay steps are never written; a file read with dynamic adjustment
            // therefore puts them back on their first item.
            Row(ClkoutDelayStep, Kind::ItemIndex, "clkoutComBoxDelayStep")
                    .member(get<&PllSettings::clkoutDelayStep>)
                    .formDefault("0")
                    .items({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")})
                    .written(never())
                    .read(when(isNot(ClkoutBypass), is(Dynamic))),
            Row(Clkoutp, Kind::Check, "clkoutpCheckEnable")
                    .member(get<&PllSettings::clkoutpEnabled>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(ClkoutpBypass, Kind::Check, "clkoutpCheckBypass")
                    .member(negated<&PllSettings::clkoutpNoBypass>)
                    .formDefault("false")
                    .written(when(is(Clkoutp)))
                    .read(when(is(Clkoutp)))
                    .batch(BatchUse::Set, false),
            Row(ClkoutpDelayStep, Kind::ItemIndex, "clkoutpComBoxDelayStep")
                    .member(get<&PllSettings::clkoutpDelayStep>)
                    .formDefault("0")
                    .items({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")})
                    .written(never())
                    .read(when(is(Clkoutp), isNot(ClkoutpBypass), is(Dynamic))),
            Row(ClkoutpPhase, Kind::ItemIndex, "clkoutpComBoxPhase")
                    .member(get<&PllSettings::phaseIndex>)
                    .formDefault("0.0")
                    .items(phases())
                    .written(clkoutpLiveStatic)
                    .read(clkoutpLiveStatic)
                    .batch(BatchUse::Set, QStringLiteral("0.0")),
            Row(ClkoutpDutyCycle, Kind::ItemIndex, "clkoutpComBoxDutyCycle")
                    .member(get<&PllSettings::dutyIndex>)
                    .formDefault("0.500")
                    .items(dutyCycles())
                    .written(clkoutpLiveStatic)
                    .read(clkoutpLiveStatic)
                    .batch(BatchUse::Set, QStringLiteral("0.500")),
            Row(Clkoutd, Kind::Check, "clkoutdCheckEnable")
                    .member(get<&PllSettings::clkoutdEnabled>)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(ClkoutdBypass, Kind::Check, "clkoutdCheckBypass")
                    .member(negated<&PllSettings::clkoutdNoBypass>)
                    .formDefault("false")
                    .written(when(is(Clkoutd)))
                    .read(when(is(Clkoutd)))
                    .batch(BatchUse::Set, false),
            Row(ClkoutdSourceClkout, Kind::Switch, "clkoutdRadioSrcClkout")
                    .member(get<&PllSettings::clkoutdSourceClkout>)
                    .partner("clkoutdRadioSrcClkoutp")
                    .formDefault("true")
                    .written(clkoutdSourced)
                    .read(clkoutdSourced)
                    .batch(BatchUse::SetThenSwitch, true),
            Row(ClkoutdFreq, Kind::Real, "clkoutdSpinFrequency")
                    .member(get<&PllSettings::clkoutdFreq>)
                    // The default CLKOUT halved: the first even divider makes it exactly.
                    .formDefault("50.000")
                    .range(0.023, 999999999.0)
                    .written(generalClkoutdLive)
                    .read(generalClkoutdLive)
                    .batch(BatchUse::Set, QStringLiteral("50.000")),
            Row(ClkoutdTolerance, Kind::ItemIndex, "clkoutdComBoxTolerance")
                    .member(get<&PllSettings::clkoutdTolerance>)
                    .formDefault("0.0")
                    .items(tolerances())
                    .written(generalClkoutdLive)
                    .read(generalClkoutdLive)
                    .batch(BatchUse::Set, QStringLiteral("0.0")),
            // A batch option of its own: the stored files and callers of getProperty
            // keep the reported key set without it.
            Row(ClkoutdDivide, Kind::Whole, "clkoutdSpinDivider")
                    .member(get<&PllSettings::sdivEntry>)
                    .formDefault("2")
                    .range(Calc::kSdivMin, Calc::kSdivMax)
                    .written(advancedClkoutdLive)
                    .read(advancedClkoutdLive)
                    .batch(BatchUse::AdvancedOnly),
            Row(Clkoutd3, Kind::Check, "clkoutd3CheckEnable")
                    .member(get<&PllSettings::clkoutd3Enabled>)
                    .inFileAs(Clkoutd3File)
                    .formDefault("false")
                    .written(always())
                    .read(always())
                    .batch(BatchUse::Set, false),
            Row(Clkoutd3SourceClkout, Kind::Switch, "clkoutd3RadioSrcClkout")
                    .member(get<&PllSettings::clkoutd3SourceClkout>)
                    .partner("clkoutd3RadioSrcClkoutp")
                    .formDefault("true")
                    .written(when(is(Clkoutd3File)))
                    .read(when(is(Clkoutd3File)))
                    .batch(BatchUse::SetThenSwitch, true),
    };
}

} // namespace

const QVector<Entry> &entries()
{
    static const QVector<Entry> table = buildTable();
    return table;
}

QVector<const Entry *> batchOrder()
{
    // The load sequence, except that CLKOUT's frequency and tolerance come before
    // its divider: a script that gets both wrong is told about the frequency.
    // LANG goes to the frame before the others; the CLKOUTD divider comes last.
    using namespace Key;
    static const char *const keys[] = {Lang,
                                       ModeGeneral,
                                       Dynamic,
                                       ResetPll,
                                       PllPwd,
                                       PllRegulator,
                                       ClkinFreq,
                                       ClkinDivideDyn,
                                       ClkinDivideSel,
                                       ClkfbSource,
                                       ClkfbDivideDyn,
                                       ClkfbDivideSel,
                                       LockEn,
                                       ClkoutBypass,
                                       ClkoutFreq,
                                       ClkoutTolerance,
                                       ClkoutDivideDyn,
                                       ClkoutDivider,
                                       Clkoutp,
                                       ClkoutpBypass,
                                       ClkoutpPhase,
                                       ClkoutpDutyCycle,
                                       Clkoutd,
                                       ClkoutdBypass,
                                       ClkoutdSourceClkout,
                                       ClkoutdFreq,
                                       ClkoutdTolerance,
                                       Clkoutd3,
                                       Clkoutd3SourceClkout,
                                       ClkoutdDivide};
    QVector<const Entry *> list;
    for (const char *key : keys)
        list << findByKey(QLatin1String(key));
    return list;
}

const Entry *findByKey(const QString &key)
{
    for (const Entry &entry : entries()) {
        if (key == QLatin1String(entry.key))
            return &entry;
    }
    return nullptr;
}

QVariant fileValue(const Entry &entry, const PllSettings &settings)
{
    if (!entry.isSelected())
        return entry.member(settings);
    const Entry *selector = findByKey(QLatin1String(entry.selector));
    return selector->member(settings).toBool() ? entry.member(settings) : entry.alternativeMember(settings);
}

QVariantMap fileValues(const PllSettings &settings)
{
    QVariantMap current;
    for (const Entry &entry : entries()) {
        if (!entry.written.never)
            current.insert(QLatin1String(entry.fileKey), fileValue(entry, settings));
    }
    return current;
}

// Every writable key first, then the conditions decide on those values, so they
// see exactly the state that is being written.
QVariantMap fileConfig(const PllSettings &settings)
{
    const QVariantMap current = fileValues(settings);
    QVariantMap config;
    for (const Entry &entry : entries()) {
        if (holds(entry.written, current))
            config.insert(QLatin1String(entry.fileKey), current.value(QLatin1String(entry.fileKey)));
    }
    return config;
}

const Entry *findByFileKey(const QString &fileKey)
{
    for (const Entry &entry : entries()) {
        if (fileKey == QLatin1String(entry.fileKey))
            return &entry;
    }
    return nullptr;
}

} // namespace Config
} // namespace ModMirel
