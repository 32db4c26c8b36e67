// SPDX-License-Identifier: MIT
#include "configkeys.h"

#include <algorithm>

namespace ModMirel {
namespace Config {

QString ipcPath(const QString &dir, const QString &fileName)
{
    return dir + QLatin1Char('/') + fileName + QLatin1String(FileSuffix);
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
    if (condition.never)
        return false;
    for (const Term &term : condition.terms) {
        if (term.fileKey && values.value(QLatin1String(term.fileKey)).toBool() != term.value)
            return false;
    }
    return true;
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
    Row &inFileAs(const char *fileKey) { m_entry.fileKey = fileKey; return *this; }
    Row &partner(const char *name) { m_entry.partner = name; return *this; }
    Row &selectedBy(const char *selector, const char *alternative, const Condition &onLoad)
    {
        m_entry.selector = selector;
        m_entry.alternative = alternative;
        m_entry.loadPicksControl = onLoad;
        return *this;
    }
    Row &formDefault(const char *text) { m_entry.formDefault = QLatin1String(text); return *this; }
    Row &range(double minimum, double maximum)
    {
        m_entry.minimum = minimum;
        m_entry.maximum = maximum;
        return *this;
    }
    Row &items(const QStringList &items) { m_entry.items = items; return *this; }
    Row &written(const Condition &condition) { m_entry.written = condition; return *this; }
    Row &read(const Condition &condition, int rank)
    {
        m_entry.read = condition;
        m_entry.loadRank = rank;
        return *this;
    }
    Row &batch(BatchUse use, int rank, const QVariant &defaultValue = QVariant())
    {
        m_entry.batch = use;
        m_entry.batchRank = rank;
        m_entry.batchDefault = defaultValue;
        return *this;
    }
    operator Entry() const { return m_entry; }

private:
    Entry m_entry;
};

QStringList tolerances()
{
    return {QStringLiteral("0.0"), QStringLiteral("0.2"), QStringLiteral("0.5"), QStringLiteral("2.0")};
}

QStringList odivItems()
{
    return {QStringLiteral("2"),  QStringLiteral("4"),  QStringLiteral("8"),   QStringLiteral("16"),
            QStringLiteral("32"), QStringLiteral("48"), QStringLiteral("64"),  QStringLiteral("80"),
            QStringLiteral("96"), QStringLiteral("112"), QStringLiteral("128")};
}

QStringList phases()
{
    return {QStringLiteral("0.0"),   QStringLiteral("22.5"),  QStringLiteral("45"),    QStringLiteral("67.5"),
            QStringLiteral("90"),    QStringLiteral("112.5"), QStringLiteral("135"),   QStringLiteral("157.5"),
            QStringLiteral("180"),   QStringLiteral("202.5"), QStringLiteral("225"),   QStringLiteral("247.5"),
            QStringLiteral("270"),   QStringLiteral("292.5"), QStringLiteral("315"),   QStringLiteral("337.5")};
}

QStringList dutyCycles()
{
    return {QStringLiteral("0.125"), QStringLiteral("0.188"), QStringLiteral("0.250"), QStringLiteral("0.313"),
            QStringLiteral("0.375"), QStringLiteral("0.438"), QStringLiteral("0.500"), QStringLiteral("0.563"),
            QStringLiteral("0.625"), QStringLiteral("0.688"), QStringLiteral("0.750"), QStringLiteral("0.813"),
            QStringLiteral("0.875")};
}

QVector<Entry> buildTable()
{
    using namespace Key;
    const Condition advanced = when(isNot(ModeGeneral));
    const Condition generalClkoutLive = when(is(ModeGeneral), isNot(ClkoutBypass));
    const Condition generalClkoutdLive = when(is(ModeGeneral), is(Clkoutd), isNot(ClkoutdBypass));
    const Condition advancedClkoutdLive = when(isNot(ModeGeneral), is(Clkoutd), isNot(ClkoutdBypass));
    const Condition clkoutpLiveStatic = when(is(Clkoutp), isNot(ClkoutpBypass), isNot(Dynamic));

    return {
        Row(Lang, Kind::Language, nullptr).formDefault("0")
            .written(always()).read(always(), 1).batch(BatchUse::Language, 1),
        Row(ModeGeneral, Kind::Switch, "radioModeGeneral").partner("radioModeAdvanced").formDefault("true")
            .written(always()).read(always(), 2).batch(BatchUse::Switch, 5),
        Row(Dynamic, Kind::Switch, "radioPhaseDutyDynamic").partner("radioPhaseDutyStatic").formDefault("true")
            .written(always()).read(always(), 3).batch(BatchUse::SetThenSwitch, 6, true),
        Row(ClkoutFreq, Kind::Real, "clkoutSpinFrequency").formDefault("400.000").range(3.125, 999999999.0)
            .written(generalClkoutLive).read(generalClkoutLive, 17)
            .batch(BatchUse::Set, 18, QStringLiteral("400.000")),
        Row(ClkoutTolerance, Kind::ItemIndex, "clkoutComBoxTolerance").formDefault("0.0").items(tolerances())
            .written(generalClkoutLive).read(generalClkoutLive, 18)
            .batch(BatchUse::Set, 19, QStringLiteral("0.0")),
        Row(ClkoutdFreq, Kind::Real, "clkoutdSpinFrequency").formDefault("1.000").range(0.023, 999999999.0)
            .written(generalClkoutdLive).read(generalClkoutdLive, 28)
            .batch(BatchUse::Set, 29, QStringLiteral("1.000")),
        Row(ClkoutdTolerance, Kind::ItemIndex, "clkoutdComBoxTolerance").formDefault("0.0").items(tolerances())
            .written(generalClkoutdLive).read(generalClkoutdLive, 29)
            .batch(BatchUse::Set, 30, QStringLiteral("0.0")),
        Row(ClkinDivideDyn, Kind::Switch, "clkinRadioDivideDynamic").partner("clkinRadioDivideStatic")
            .formDefault("true").written(advanced).read(advanced, 8).batch(BatchUse::SetThenSwitch, 11, true),
        Row(ClkinDivideSel, Kind::Whole, "clkinSpinDivideDyn")
            .selectedBy(ClkinDivideDyn, "clkinSpinDivideStatic", when(is(ClkinDivideDyn)))
            .formDefault("1").range(1, 64).written(advanced).read(advanced, 9).batch(BatchUse::Set, 12, 1),
        Row(ClkfbDivideDyn, Kind::Switch, "clkfbRadioDivideDynamic").partner("clkfbRadioDivideStatic")
            .formDefault("true").written(advanced).read(advanced, 11).batch(BatchUse::SetThenSwitch, 14, true),
        Row(ClkfbDivideSel, Kind::Whole, "clkfbSpinDivideDyn")
            .selectedBy(ClkfbDivideDyn, "clkfbSpinDivideStatic", when(is(ClkfbDivideDyn)))
            .formDefault("1").range(1, 64).written(advanced).read(advanced, 12).batch(BatchUse::Set, 15, 1),
        // Read back in either mode; a General Mode file has none, which leaves the
        // static list without a current item until the next search picks one.
        Row(ClkoutDivider, Kind::ItemText, "clkoutComBoxDivideDyn")
            .selectedBy(ClkoutDivideDyn, "clkoutComBoxDivideStatic",
                        when(isNot(ModeGeneral), is(ClkoutDivideDyn)))
            .formDefault("2").items(odivItems()).written(advanced).read(always(), 16)
            .batch(BatchUse::Set, 21, QStringLiteral("2")),
        // A batch option of its own: the stored files and callers of getProperty
        // keep the reported key set without it.
        Row(ClkoutdDivide, Kind::Whole, "clkoutdSpinDivider").formDefault("2").range(2, 128)
            .written(advancedClkoutdLive).read(advancedClkoutdLive, 30)
            .batch(BatchUse::AdvancedOnly, 33),
        Row(ResetPll, Kind::Check, "checkPllReset").formDefault("false")
            .written(always()).read(always(), 4).batch(BatchUse::Set, 7, false),
        Row(PllPwd, Kind::Check, "checkPllPowerDown").formDefault("false")
            .written(always()).read(always(), 5).batch(BatchUse::Set, 8, false),
        Row(PllRegulator, Kind::Check, "checkPllRegulator").formDefault("false")
            .written(always()).read(always(), 6).batch(BatchUse::Set, 9, false),
        Row(ClkinFreq, Kind::Real, "clkinSpinFrequency").formDefault("100.000").range(3.0, 450.0)
            .written(always()).read(always(), 7).batch(BatchUse::Set, 10, QStringLiteral("100.000")),
        Row(ClkfbSource, Kind::ItemIndex, "clkfbComBoxSource").formDefault("Internal")
            .items({QStringLiteral("Internal"), QStringLiteral("External")})
            .written(always()).read(always(), 10).batch(BatchUse::Set, 13, QStringLiteral("Internal")),
        Row(LockEn, Kind::Check, "checkLockEn").formDefault("false")
            .written(always()).read(always(), 13).batch(BatchUse::Set, 16, false),
        Row(ClkoutBypass, Kind::Check, "clkoutCheckBypass").formDefault("false")
            .written(always()).read(always(), 14).batch(BatchUse::Set, 17, false),
        Row(ClkoutDivideDyn, Kind::Switch, "clkoutRadioDivideDyn").partner("clkoutRadioDivideStatic")
            .formDefault("true").written(always()).read(always(), 15).batch(BatchUse::SetThenSwitch, 20, true),
        Row(Clkoutp, Kind::Check, "clkoutpCheckEnable").formDefault("false")
            .written(always()).read(always(), 20).batch(BatchUse::Set, 22, false),
        Row(ClkoutpBypass, Kind::Check, "clkoutpCheckBypass").formDefault("false")
            .written(when(is(Clkoutp))).read(when(is(Clkoutp)), 21).batch(BatchUse::Set, 23, false),
        Row(ClkoutpPhase, Kind::ItemIndex, "clkoutpComBoxPhase").formDefault("0.0").items(phases())
            .written(clkoutpLiveStatic).read(clkoutpLiveStatic, 23)
            .batch(BatchUse::Set, 24, QStringLiteral("0.0")),
        Row(ClkoutpDutyCycle, Kind::ItemIndex, "clkoutpComBoxDutyCycle").formDefault("0.500").items(dutyCycles())
            .written(clkoutpLiveStatic).read(clkoutpLiveStatic, 24)
            .batch(BatchUse::Set, 25, QStringLiteral("0.500")),
        Row(Clkoutd, Kind::Check, "clkoutdCheckEnable").formDefault("false")
            .written(always()).read(always(), 25).batch(BatchUse::Set, 26, false),
        Row(ClkoutdBypass, Kind::Check, "clkoutdCheckBypass").formDefault("false")
            .written(when(is(Clkoutd))).read(when(is(Clkoutd)), 26).batch(BatchUse::Set, 27, false),
        Row(ClkoutdSourceClkout, Kind::Switch, "clkoutdRadioSrcClkout").partner("clkoutdRadioSrcClkoutp")
            .formDefault("true").written(when(is(Clkoutd), isNot(ClkoutdBypass)))
            .read(when(is(Clkoutd), isNot(ClkoutdBypass)), 27).batch(BatchUse::SetThenSwitch, 28, true),
        Row(Clkoutd3, Kind::Check, "clkoutd3CheckEnable").inFileAs(Clkoutd3File).formDefault("false")
            .written(always()).read(always(), 31).batch(BatchUse::Set, 31, false),
        Row(Clkoutd3SourceClkout, Kind::Switch, "clkoutd3RadioSrcClkout").partner("clkoutd3RadioSrcClkoutp")
            .formDefault("true").written(when(is(Clkoutd3File))).read(when(is(Clkoutd3File)), 32)
            .batch(BatchUse::SetThenSwitch, 32, true),
        // The delay steps are never written; a file read with dynamic adjustment
        // therefore puts them back on their first item.
        Row(ClkoutDelayStep, Kind::ItemIndex, "clkoutComBoxDelayStep").formDefault("0")
            .items({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")})
            .written(never()).read(when(isNot(ClkoutBypass), is(Dynamic)), 19),
        Row(ClkoutpDelayStep, Kind::ItemIndex, "clkoutpComBoxDelayStep").formDefault("0")
            .items({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")})
            .written(never()).read(when(is(Clkoutp), isNot(ClkoutpBypass), is(Dynamic)), 22),
    };
}

QVector<const Entry *> sortedBy(int Entry::*rank)
{
    QVector<const Entry *> list;
    for (const Entry &entry : entries()) {
        if (entry.*rank > 0)
            list << &entry;
    }
    std::stable_sort(list.begin(), list.end(),
                     [rank](const Entry *a, const Entry *b) { return a->*rank < b->*rank; });
    return list;
}

} // namespace

const QVector<Entry> &entries()
{
    static const QVector<Entry> table = buildTable();
    return table;
}

QVector<const Entry *> loadOrder()
{
    return sortedBy(&Entry::loadRank);
}

QVector<const Entry *> batchOrder()
{
    return sortedBy(&Entry::batchRank);
}

const Entry *findByKey(const QString &key)
{
    for (const Entry &entry : entries()) {
        if (key == QLatin1String(entry.key))
            return &entry;
    }
    return nullptr;
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
