// SPDX-License-Identifier: MIT
#pragma once

// The configuration keys of one MIREL instance: which control holds each key,
// what kind of value it carries, its defaults and legal values, and in which of
// the four lists it travels (file written, file read, batch options, reported
// settings) and when. The flows in dialog/ are driven by this table, so a key
// is spelled here and nowhere else.

#include <pllsettings.h>

#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

namespace ModMirel {
namespace Config {

namespace Key {
inline constexpr char Lang[] = "LANG";
inline constexpr char ModeGeneral[] = "MODE_GENERAL";
inline constexpr char Dynamic[] = "DYNAMIC";
inline constexpr char ClkoutFreq[] = "CLKOUT_FREQ";
inline constexpr char ClkoutTolerance[] = "CLKOUT_TOLERANCE";
inline constexpr char ClkoutdFreq[] = "CLKOUTD_FREQ";
inline constexpr char ClkoutdTolerance[] = "CLKOUTD_TOLERANCE";
inline constexpr char ClkinDivideDyn[] = "CLKIN_DIVIDE_DYN";
inline constexpr char ClkinDivideSel[] = "CLKIN_DIVIDE_STATIC_SEL";
inline constexpr char ClkfbDivideDyn[] = "CLKFB_DIVIDE_DYNAMIC";
inline constexpr char ClkfbDivideSel[] = "CLKFB_DIVIDE_STATIC_SEL";
inline constexpr char ClkoutDivider[] = "CLKOUT_DIVIDER";
inline constexpr char ClkoutdDivide[] = "CLKOUTD_DIVIDE";
inline constexpr char ResetPll[] = "RESET_PLL";
inline constexpr char PllPwd[] = "PLL_PWD";
inline constexpr char PllRegulator[] = "PLL_REGULATOR";
inline constexpr char ClkinFreq[] = "CLKIN_FREQ";
inline constexpr char ClkfbSource[] = "CLKFB_SOURCE";
inline constexpr char LockEn[] = "LOCK_EN";
inline constexpr char ClkoutBypass[] = "CLKOUT_BYPASS";
inline constexpr char ClkoutDivideDyn[] = "CLKOUT_DIVIDE_DYN";
inline constexpr char Clkoutp[] = "CLKOUTP";
inline constexpr char ClkoutpBypass[] = "CLKOUTP_BYPASS";
inline constexpr char ClkoutpPhase[] = "CLKOUTP_PHASE";
inline constexpr char ClkoutpDutyCycle[] = "CLKOUTP_DUTY_CYCLE";
inline constexpr char Clkoutd[] = "CLKOUTD";
inline constexpr char ClkoutdBypass[] = "CLKOUTD_BYPASS";
inline constexpr char ClkoutdSourceClkout[] = "CLKOUTD_SOURCE_CLKOUT";
// The CLKOUTD3 switch travels as "CLKOUTD3" in the maps, but every file ever
// written carries it misspelt; both spellings are fixed.
inline constexpr char Clkoutd3[] = "CLKOUTD3";
inline constexpr char Clkoutd3File[] = "CKLOUTD3";
inline constexpr char Clkoutd3SourceClkout[] = "CLKOUTD3_SOURCE_CLKOUT";
inline constexpr char ClkoutDelayStep[] = "CLKOUT_DELAY_STEP";
inline constexpr char ClkoutpDelayStep[] = "CLKOUTP_DELAY_STEP";
} // namespace Key

// The file's information map, outside any group.
namespace Info {
inline constexpr char TargetDevice[] = "target_device";
inline constexpr char Type[] = "type";
inline constexpr char Version[] = "version";
inline constexpr char File[] = "file";
inline constexpr char Module[] = "module";
} // namespace Info

// Batch options that set the frame's fields rather than a PLL control.
namespace Batch {
inline constexpr char Module[] = "module";
inline constexpr char File[] = "file";
inline constexpr char CreateMode[] = "ip_creat_mode";
inline constexpr char Dir[] = "dir"; // read by the core before the dialog sees the map
} // namespace Batch

inline constexpr char FileVersion[] = "1.0";
inline constexpr char FileGroup[] = "Config";
inline constexpr char FileSuffix[] = ".ipc";

// The configuration file of a module: the output directory, "/", the file name, ".ipc".
QString ipcPath(const QString &dir, const QString &fileName);

enum class Kind {
    Language,  // the frame's output-language index
    Switch,    // a pair of radio buttons: `control` checked for true, `partner` for false
    Check,     // a check box
    Real,      // a double spin box
    Whole,     // a spin box
    ItemIndex, // a combo box; the file stores the item index, the maps the item text
    ItemText,  // a combo box; the file stores the item text as well
};

// How setProperty treats a key. LANG goes to the frame before any of these.
enum class BatchUse {
    None,          // not an option
    Set,           // the host's setter, with the default
    Switch,        // only the plug-in's own "true"/"false" check, when present
    SetThenSwitch, // the setter on `control`, then the check when present
    AdvancedOnly,  // the setter, only when present and only in Advanced Mode; never reported
};

// A conjunction over file keys, read as bools (an absent key reads false).
struct Term
{
    const char *fileKey = nullptr;
    bool value = false;
};

struct Condition
{
    bool never = false;
    Term terms[3];
};

Condition always();
Condition never();
Condition when(Term a, Term b = {}, Term c = {});
inline Term is(const char *fileKey)
{
    return {fileKey, true};
}
inline Term isNot(const char *fileKey)
{
    return {fileKey, false};
}

// Whether the condition holds for these values, keyed by file key.
bool holds(const Condition &condition, const QVariantMap &values);
// The first term that these values break, or null when the condition holds or
// is never: the setting that switches the condition off.
const Term *brokenTerm(const Condition &condition, const QVariantMap &values);

// The value a key carries in the file, read from the settings value.
using Member = QVariant (*)(const PllSettings &);

struct Entry
{
    const char *key = nullptr;     // in the batch options and the reported settings
    const char *fileKey = nullptr; // in the file
    Kind kind = Kind::Check;
    const char *control = nullptr; // object name; the "true" button of a switch
    const char *partner = nullptr; // the "false" button of a switch
    // Keys held by one of two controls: `selector` is the switch key whose true
    // picks `control` and false `alternative`.
    const char *alternative = nullptr;
    const char *selector = nullptr;
    // On load the choice is made from the file's values by this condition.
    Condition loadPicksControl;
    // The settings' member behind `control` and behind `alternative`.
    Member member = nullptr;
    Member alternativeMember = nullptr;

    // What the batch options list (options()) reports; a test ties them to the form.
    QString formDefault; // the state the form starts in, as text
    double minimum = 0;  // Real and Whole: range as built
    double maximum = 0;
    QStringList items; // ItemIndex and ItemText: the list's items in order

    Condition written;
    Condition read;

    BatchUse batch = BatchUse::None;
    QVariant batchDefault; // what the host's setter puts in when the option is absent

    bool reported() const
    {
        return batch == BatchUse::Set || batch == BatchUse::Switch || batch == BatchUse::SetThenSwitch;
    }
    bool isSelected() const { return selector != nullptr; }
};

// The values LANG takes, as the batch options list them: the frame's index 0
// (Verilog) or 1 (VHDL), or the language's name.
QStringList languageItems();
// The frame's language index for a LANG value (a listed item, the name in any
// case), or -1 when the value names no language.
int languageIndex(const QVariant &value);

// Every key, in the order applyIPConfig reads them.
const QVector<Entry> &entries();
// The batch options in the order setProperty handles them, which is also the
// order getProperty reports them.
QVector<const Entry *> batchOrder();

const Entry *findByKey(const QString &key);
// The value the file carries for a key under these settings: a selected key
// takes the member its switch picks.
QVariant fileValue(const Entry &entry, const PllSettings &settings);
// The value of every key a file may carry under these settings, keyed by file
// key, before the conditions choose which of them it carries.
QVariantMap fileValues(const PllSettings &settings);
// The configuration the file carries for these settings, keyed by file key.
QVariantMap fileConfig(const PllSettings &settings);
// The one-line description of a batch option key, or null.
const char *description(const char *key);
const Entry *findByFileKey(const QString &fileKey);

} // namespace Config
} // namespace ModMirel
