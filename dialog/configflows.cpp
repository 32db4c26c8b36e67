// SPDX-License-Identifier: MIT
#include "configflows.h"

#include "boxes.h"
#include "calctexts.h"
#include "calculation.h"
#include "devicelimits.h"

#include <cfgsmap.h>
#include <configkeys.h>
#include <ipconfigwriter.h>
#include <modulegendialog.h>
#include <refusal.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSettings>
#include <QSpinBox>

#include <cmath>
#include <optional>
#include <utility>

namespace ModMirel {

ConfigFlows::ConfigFlows(IPCore::ModuleGenDialog &frame, std::function<PllSettings()> settings, QString coreId)
    : frame(frame)
    , controls(frame)
    , settings(std::move(settings))
    , coreId(std::move(coreId))
{}

ConfigFlows::Controls::Controls(const QObject &frame)
    : frame(frame)
{}

QWidget *ConfigFlows::Controls::named(const char *name) const
{
    if (!name)
        return nullptr;
    // One walk over the dialog's widgets, on first use, rather than one per key.
    if (byName.isEmpty()) {
        const QList<QWidget *> all = frame.findChildren<QWidget *>();
        for (QWidget *widget : all) {
            if (!widget->objectName().isEmpty() && !byName.contains(widget->objectName()))
                byName.insert(widget->objectName(), widget);
        }
    }
    return byName.value(QLatin1String(name));
}

bool ConfigFlows::Controls::isChecked(const char *name) const
{
    const auto *button = get<QAbstractButton>(name);
    return button && button->isChecked();
}

void ConfigFlows::Controls::setChecked(const char *name, bool checked) const
{
    if (auto *button = get<QAbstractButton>(name))
        button->setChecked(checked);
}

namespace {

using Config::BatchUse;
using Config::Entry;
using Config::Kind;

QString text(const char *latin1)
{
    return QString::fromLatin1(latin1);
}

// The control that holds a selected key in the current form: the one its
// switch's "true" button picks.
const char *formControl(const ConfigFlows::Controls &controls, const Entry &entry)
{
    if (!entry.isSelected())
        return entry.control;
    const Entry *selector = Config::findByKey(text(entry.selector));
    return selector && controls.isChecked(selector->control) ? entry.control : entry.alternative;
}

// The source switch of a divided output that divides and takes CLKOUTP while CLKOUTP
// is off, or null; `clkoutdBypassed` says the options bypass CLKOUTD after the
// switches are set. The batch order and a file set a source after the rules that
// would have moved it to CLKOUT, so these flows check the outcome.
const Entry *sourceOnDisabledClkoutp(const PllSettings &s, bool clkoutdBypassed = false)
{
    if (s.clkoutpEnabled)
        return nullptr;
    if (s.clkoutdLive() && !clkoutdBypassed && !s.clkoutdSourceClkout)
        return Config::findByKey(text(Config::Key::ClkoutdSourceClkout));
    if (s.clkoutd3Enabled && !s.clkoutd3SourceClkout)
        return Config::findByKey(text(Config::Key::Clkoutd3SourceClkout));
    return nullptr;
}

QString flagText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

QString ConfigFlows::listWithoutItemLine() const
{
    // A list left without a current item (a hand-edited file) would be written
    // as -1 or an empty text, which neither the file nor the generator takes back.
    const QVariantMap config = Config::fileConfig(settings());
    for (const Entry &entry : Config::entries()) {
        const QVariant value = config.value(text(entry.fileKey));
        const bool noItem = (entry.kind == Kind::ItemIndex && value.toInt() < 0)
                            || (entry.kind == Kind::ItemText && value.toString().isEmpty());
        if (noItem && config.contains(text(entry.fileKey)))
            return Config::refusalLine(value.toString(), text(entry.key ? entry.key : entry.fileKey),
                                       frame.moduleName());
    }
    return {};
}

bool ConfigFlows::save() const
{
    using namespace Config;
    const QVariantMap config = fileConfig(settings());

    QVariantMap info;
    info.insert(text(Info::TargetDevice), frame.device().id());
    info.insert(text(Info::Type), coreId);
    info.insert(text(Info::Version), text(FileVersion));
    info.insert(text(Info::File), frame.fileName());
    info.insert(text(Info::Module), frame.moduleName());

    return IPCore::writeIPConfig(ipcPath(frame.createPath(), frame.fileName()), info, config);
}

bool ConfigFlows::load(const QString &path, QStringList *batchMessages)
{
    // The spin boxes need the device's limits before the file's values go in.
    frame.refreshDeviceInfo();

    QSettings file(path, QSettings::IniFormat);
    if (file.value(text(Config::Info::Version), QVariant()).toString() != text(Config::FileVersion)) {
        const QString text = QStringLiteral(
                "This version of specified IP Config file is incompatible with current IP Core Generator.");
        if (batchMessages)
            *batchMessages << QStringLiteral("ERROR: ") + text;
        else
            Boxes::error(&frame, text);
        return false;
    }

    QVariantMap config;
    file.beginGroup(text(Config::FileGroup));
    const QStringList keys = file.childKeys();
    for (const QString &key : keys)
        config.insert(key, file.value(key, QVariant()));
    file.endGroup();

    apply(config);
    // The form keeps its rule: each such output falls back to CLKOUT. A script is
    // told that its file asked for something else.
    const Entry *refused = nullptr;
    for (int outputs = 0; outputs < 2; ++outputs) {
        const Entry *source = sourceOnDisabledClkoutp(settings());
        if (!source)
            break;
        controls.setChecked(source->control, true);
        refused = refused ? refused : source;
    }
    if (refused && batchMessages) {
        *batchMessages << Config::refusalLine(QStringLiteral("false"), text(refused->key), frame.moduleName());
        return false;
    }
    return true;
}

void ConfigFlows::apply(const QVariantMap &config)
{
    using namespace Config;

    // Each control is set in turn and its signals run the rules at once, so a
    // later key sees the enablement that the earlier ones produced.
    for (const Entry &entry : entries()) {
        if (!holds(entry.read, config))
            continue;
        const QVariant value = config.value(text(entry.fileKey));
        const char *name = entry.isSelected() && !holds(entry.loadPicksControl, config) ? entry.alternative
                                                                                        : entry.control;
        switch (entry.kind) {
        case Kind::Language:
            frame.uiSetLanguageIndex(value.toInt());
            break;
        case Kind::Switch:
            controls.setChecked(value.toBool() ? entry.control : entry.partner, true);
            break;
        case Kind::Check:
            controls.setChecked(name, value.toBool());
            break;
        case Kind::Real:
            if (auto *spin = controls.get<QDoubleSpinBox>(name)) {
                // "nan" would otherwise land on the maximum; it is no number, like any other text.
                const double number = value.toDouble();
                spin->setValue(std::isnan(number) ? 0.0 : number);
            }
            break;
        case Kind::Whole:
            if (auto *spin = controls.get<QSpinBox>(name))
                spin->setValue(value.toInt());
            break;
        case Kind::ItemIndex:
            if (auto *combo = controls.get<QComboBox>(name))
                combo->setCurrentIndex(value.toInt());
            break;
        case Kind::ItemText:
            if (auto *combo = controls.get<QComboBox>(name))
                combo->setCurrentIndex(combo->findText(value.toString(), Qt::MatchExactly | Qt::MatchCaseSensitive));
            break;
        }
    }
}

namespace {

// A bool option: a bool, or the text "true" or "false".
std::optional<bool> flag(const QVariant &value)
{
    if (value.userType() == QMetaType::Bool)
        return value.toBool();
    const QString given = value.toString();
    if (given == QLatin1String("true") || given == QLatin1String("false"))
        return given == QLatin1String("true");
    return std::nullopt;
}

// The CLKOUTD divider is a batch option only where the user gives the dividers;
// in General Mode the search picks it. An odd value is refused here, before
// anything is written, rather than warned about after.
bool setAdvancedOnly(IPCore::ModuleGenDialog &dialog, const ConfigFlows::Controls &controls, const Config::Entry &entry,
                     const QVariantMap &cfgs, const PllSettings &settings, QStringList &messagelist)
{
    const QString key = text(entry.key);
    if (controls.isChecked(Config::findByKey(text(Config::Key::ModeGeneral))->control)) {
        messagelist << QStringLiteral(
                               "ERROR: Option '%1' for IP '%2' applies only in Advanced Mode (MODE_GENERAL=false).")
                               .arg(key, dialog.moduleName());
        return false;
    }
    auto *spin = controls.get<QSpinBox>(entry.control);
    const int before = spin->value();
    if (!IPCore::setValueByCfgsMap(key, before, spin, cfgs, dialog.moduleName(), messagelist))
        return false;
    if (!Calc::sdivIsEven(spin->value())) {
        PllSettings entered = settings;
        entered.sdivEntry = spin->value();
        const Calc::SearchMessage odd = Calculation::oddSdivMessage(entered, currentLimits(dialog.device()));
        spin->setValue(before);
        messagelist << QStringLiteral("ERROR: ") + QString::fromStdString(odd.message());
        for (const std::string &hint : odd.hints)
            messagelist << QStringLiteral("ERROR: ") + QString::fromStdString(hint);
        return false;
    }
    return true;
}
} // namespace

bool ConfigFlows::setBatchOptions(const QVariantMap &cfgs, QStringList &messagelist)
{
    using namespace Config;

    frame.uiSetModuleName(cfgs.value(text(Batch::Module)).toString());
    frame.uiSetFileName(cfgs.value(text(Batch::File)).toString());
    // The frame's two choices take only the values options() lists; the refusals
    // name the module, so they come once its name is set.
    const auto refuse = [&](const char *key, const QString &legal) {
        messagelist << Config::refusalLine(cfgs.value(text(key)), text(key), frame.moduleName(), legal);
        return false;
    };
    const std::optional<bool> creating = flag(cfgs.value(text(Batch::CreateMode), true));
    if (!creating)
        return refuse(Batch::CreateMode, QStringLiteral("true, false"));
    frame.setCreatPath(*creating ? cfgs.value(text(Batch::File)).toString() : QString());
    const int language = languageIndex(cfgs.value(text(Key::Lang), 0));
    if (language < 0)
        return refuse(Key::Lang, languageItems().join(QLatin1String(", ")));
    frame.uiSetLanguageIndex(language);
    const bool clkoutdBypassed = cfgs.value(text(Key::ClkoutBypass)).toBool()
                                 && cfgs.value(text(Key::Clkoutd)).toBool();

    for (const Entry *entry : batchOrder()) {
        const QString key = text(entry->key);
        if (entry->batch == BatchUse::Set || entry->batch == BatchUse::SetThenSwitch) {
            // The option map, not the form, picks which of two controls takes the value.
            const char *name = entry->control;
            if (entry->isSelected() && !cfgs.value(text(entry->selector), true).toBool())
                name = entry->alternative;
            if (!IPCore::setValueByCfgsMap(key, entry->batchDefault, controls.get<QWidget>(name), cfgs,
                                           frame.moduleName(), messagelist)) {
                // The box's range is twice the device's maximum; the maximum is the limit that counts.
                const float clkoutMax = currentLimits(frame.device()).clkoutMax;
                if (key == QLatin1String(Key::ClkoutFreq) && cfgs.value(key).toDouble() > double(clkoutMax))
                    messagelist << QStringLiteral("ERROR: ")
                                           + QString::fromStdString(Calc::clkoutMaximumHint(clkoutMax));
                return false;
            }
        }
        if (entry->batch == BatchUse::AdvancedOnly && cfgs.contains(key)
            && !setAdvancedOnly(frame, controls, *entry, cfgs, settings(), messagelist))
            return false;
        if ((entry->batch == BatchUse::Switch || entry->batch == BatchUse::SetThenSwitch) && cfgs.contains(key)) {
            const QString value = cfgs.value(key).toString();
            if (value == QLatin1String("true")) {
                controls.setChecked(entry->control, true);
                controls.setChecked(entry->partner, false);
            } else if (value == QLatin1String("false")) {
                controls.setChecked(entry->control, false);
                controls.setChecked(entry->partner, true);
            } else {
                messagelist << Config::refusalLine(value, key, frame.moduleName(), QStringLiteral("true, false"));
                return false;
            }
        }
        // A source is refused at its own step, so that a later option's refusal cannot come first.
        const bool source = key == QLatin1String(Key::ClkoutdSourceClkout)
                            || key == QLatin1String(Key::Clkoutd3SourceClkout);
        if (source && sourceOnDisabledClkoutp(settings(), clkoutdBypassed) == entry) {
            messagelist << Config::refusalLine(cfgs.value(key).toString(), key, frame.moduleName());
            return false;
        }
    }

    // CLKOUTD cannot divide a bypassed CLKOUT: the options, not the form, decide.
    if (clkoutdBypassed) {
        if (const Entry *bypass = findByKey(text(Key::ClkoutdBypass)))
            controls.setChecked(bypass->control, true);
    }
    given = cfgs;
    messagelist << effectLines(cfgs);
    return true;
}

double ConfigFlows::asked(const char *key) const
{
    return given.value(text(key)).toDouble();
}

// Nothing a script asked for is dropped without a word: an option whose key the file
// would not carry under the final settings has no effect, named with the setting
// that switches it off; a frequency is kept with the form's decimals.
QStringList ConfigFlows::effectLines(const QVariantMap &cfgs) const
{
    using namespace Config;
    const QVariantMap values = fileValues(settings());
    const QString ip = echo(frame.moduleName());
    QStringList lines;
    for (const Entry *entry : batchOrder()) {
        const QString key = text(entry->key);
        if (!cfgs.contains(key))
            continue;
        if (const Term *off = brokenTerm(entry->written, values)) {
            lines << QStringLiteral("WARNING: Option '%1' for IP '%2' has no effect while %3=%4.")
                             .arg(key, ip, text(findByFileKey(text(off->fileKey))->key), flagText(!off->value));
            continue;
        }
        const auto *spin = entry->kind == Kind::Real ? controls.get<QDoubleSpinBox>(entry->control) : nullptr;
        bool number = false;
        const double value = cfgs.value(key).toDouble(&number);
        if (spin && number && value != spin->value()) {
            lines << QStringLiteral("WARNING: Value '%1' for configuration option '%2' for IP '%3' is used as %4: "
                                    "the form keeps %5 decimals.")
                             .arg(echo(cfgs.value(key).toString()), key, ip,
                                  QString::number(spin->value(), 'f', spin->decimals()))
                             .arg(spin->decimals());
        }
    }
    return lines;
}

QVariantMap ConfigFlows::batchOptions() const
{
    QVariantMap options;
    for (const Entry *entry : Config::batchOrder()) {
        if (entry->reported())
            IPCore::insertToCfgsMap(text(entry->key), controls.get<QWidget>(formControl(controls, *entry)), options);
    }
    return options;
}

} // namespace ModMirel
