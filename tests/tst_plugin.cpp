// SPDX-License-Identifier: MIT
// The plug-in as the host sees it: loaded through QPluginLoader, cast to the
// host's interface, asked for its cores.
#include "modalwatcher.h"
#include "testfiles.h"

#include <baseipcoreinterface.h>
#include <coredescription.h>
#include <devicetable.h>
#include <ipplugin.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using TE::TE_IPCore_Def::BaseIPCoreInterface;
using TE::TE_IPCore_Def::CoreDescription;
using TE::TE_IPCore_Def::IPPlugin;
using Core = std::unique_ptr<BaseIPCoreInterface>;

static const QString incompatible
        = "This version of specified IP Config file is incompatible with current IP Core Generator.";

class tst_Plugin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneInstanceNewCores();
    void description_data();
    void description();
    void cancelledCreateLeavesNoFile();
    void refusedFile_data();
    void refusedFile();
    void batchRequests();
    void hostContract();
    void batchInterface_data();
    void batchInterface();

private:
    // The first core made from a description file in the given folder.
    Core coreFrom(const QString &dir)
    {
        plugin()->pluginDir = dir;
        const QList<BaseIPCoreInterface *> cores = plugin()->ipCores();
        return Core(cores.value(0));
    }
    Core coreFor(const QByteArray &description)
    {
        return writeFile(m_scratch.filePath("pll.ipspec"), description) ? coreFrom(m_scratch.path()) : nullptr;
    }
    IPPlugin *plugin() { return qobject_cast<IPPlugin *>(m_loader.instance()); }
    // What a host reads of the core in `dir` from the plug-in's metadata, without loading it, is what the
    // loaded core answers (or, with no core, the description is refused both ways).
    void describedAsLoaded(const BaseIPCoreInterface *loaded, const QString &dir, const QStringList &devices);

    QPluginLoader m_loader;
    QTemporaryDir m_scratch;
};

void tst_Plugin::initTestCase()
{
    const QStringList libs = QDir(PLUGIN_DIR).entryList({"*.so"}, QDir::Files);
    QCOMPARE(libs.size(), 1);
    m_loader.setFileName(QDir(PLUGIN_DIR).absoluteFilePath(libs.first()));
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    QVERIFY(QFile::exists(PLUGIN_DIR "/pll.ipspec"));
}

void tst_Plugin::describedAsLoaded(const BaseIPCoreInterface *loaded, const QString &dir, const QStringList &devices)
{
    CoreDescription described;
    const CoreDescription::Reading reading = CoreDescription::read(m_loader.metaData(), dir, &described);
    QCOMPARE(reading, loaded ? CoreDescription::Read : CoreDescription::Refused);
    if (!loaded)
        return;
    auto &core = const_cast<BaseIPCoreInterface &>(*loaded);
    const CoreDescription answered = CoreDescription::of(core);
    QCOMPARE(described.id, answered.id);
    QCOMPARE(described.name, answered.name);
    QCOMPARE(described.version, answered.version);
    QCOMPARE(described.category, answered.category);
    QCOMPARE(described.summary, answered.summary);
    QStringList asked = devices;
    for (const DEV::DeviceInfo &device : DEV::DeviceTable::devices())
        asked << device.device << device.id;
    for (const QString &device : asked) {
        const DEV::DeviceArg arg(device, device + "-X");
        QVERIFY2(described.isSupported(arg) == answered.isSupported(arg), qPrintable(device));
    }
    // As JSON, which is how a host hands them on (a whole number is a number there, whatever its type here).
    const auto json = [](const QJsonObject &options) {
        return QJsonDocument(options).toJson(QJsonDocument::Indented);
    };
    QCOMPARE(json(described.options()), json(answered.options()));
}

// One guarded instance, cast through the host's interface identifier; every call for cores
// hands over new ones.
void tst_Plugin::oneInstanceNewCores()
{
    const QJsonObject meta = m_loader.metaData();
    QCOMPARE(meta.value("IID").toString() + ' ' + meta.value("className").toString(),
             QString("ModMirel.MirelPackage/1.0 MirelPackage"));
    QObject *instance = m_loader.instance();
    QVERIFY(instance && m_loader.instance() == instance && qobject_cast<IPPlugin *>(instance));
    QCOMPARE(instance->qt_metacast(TE_IPPLUGIN_IID), static_cast<void *>(instance));
    QVERIFY(!instance->qt_metacast("QWidget") && !instance->qt_metacast(nullptr));
    Core core = coreFrom(PLUGIN_DIR), second = coreFrom(PLUGIN_DIR);
    QVERIFY(core && second && second.get() != core.get());
    QCOMPARE(core->id() + ' ' + core->version(), QString("MIREL 1.0"));
    QVERIFY(!core->name().isEmpty() && core->category().contains("PLL"));
    QVERIFY(core->isSupported(DEV::DeviceTable::defaultDevice().arg()));
    QVERIFY(!coreFrom(m_scratch.filePath("missing")));
    // The metadata describes the core beside it, and a folder without its description offers none.
    QCOMPARE(meta.value("MetaData").toObject().value("ipcore").toObject().value("description").toString(),
             QString("pll.ipspec"));
    describedAsLoaded(core.get(), PLUGIN_DIR, {});
    describedAsLoaded(nullptr, m_scratch.filePath("missing"), {});
}

void tst_Plugin::description_data()
{
    QTest::addColumn<QByteArray>("description");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("supported"); // -1: the description gives no core
    const auto row = [](const char *name, const QByteArray &description, const char *device = "", int supported = -1) {
        QTest::newRow(name) << description << QString(device) << supported;
    };
    const QByteArray core = R"({"ipcore.id": "MIREL", "ipcore.name": "PLL", "ipcore.version": 2.5)";
    const QByteArray lists
            = core + R"(, "ipcore.device.supported": ["AXL-*"], "ipcore.device.unsupported": ["BRN-*", "AXL-25"]})";
    row("nothing listed excludes nothing", core + "}", "ANY-1", 1);
    row("listed as supported", lists, "AXL-12", 1);
    row("listed as unsupported", lists, "BRN-4LP", 0);
    row("in both lists: unsupported first", lists, "AXL-25", 0);
    row("in neither list", lists, "QQ-1", 0);
    const QByteArray only = core + R"(, "ipcore.device.supported": )";
    row("wildcards: ? is one character, any case", only + R"(["axl-?2"]})", "AXL-12", 1);
    row("wildcards: ? is not two", only + R"(["axl-?2"]})", "AXL-102", 0);
    row("wildcards: several stars", only + R"(["*X*2*"]})", "AXL-12", 1);
    row("wildcards: a character class", only + R"(["BRN-[0-9]LP"]})", "BRN-4LP", 1);
    row("wildcards: outside the class", only + R"(["BRN-[0-3]LP"]})", "BRN-4LP", 0);
    row("wildcards: a star stops at a slash", only + R"(["A*"]})", "A/B", 0);
    row("wildcards: the part id", only + R"(["*-x"]})", "QQ-1", 1);
    row("no device the core knows", only + R"(["QQ-*"]})", "QQ-1", 1);
    row("options the description adds win",
        core + R"(, "ipcore.options": {"CLKIN_FREQ": {"kind": "real", "default": 27}, "EXTRA": "text"}})", "AXL-12", 1);
    row("no id", R"({"ipcore.name":"n","ipcore.version":"1.0"})");
    row("no name", R"({"ipcore.id":"i","ipcore.version":"1.0"})");
    row("no version", R"({"ipcore.id":"i","ipcore.name":"n"})");
    row("not JSON", "ipcore.id = MIREL");
    row("empty file", "");
    row("array", R"(["ipcore.id","MIREL"])");
}

// The version may be a number in the description and reads as text; absent keys read empty.
void tst_Plugin::description()
{
    QFETCH(QByteArray, description);
    QFETCH(QString, device);
    QFETCH(int, supported);
    Core core = coreFor(description);
    QCOMPARE(bool(core), supported >= 0);
    describedAsLoaded(core.get(), m_scratch.path(), {device});
    if (!core)
        return;
    QCOMPARE(core->version(), QString("2.5"));
    QCOMPARE(core->info().value("ipcore.version").userType(), int(QMetaType::QString));
    QVERIFY(core->category().isEmpty() && core->summary().isEmpty());
    // The options come from the key table whatever the description says, but for those it adds.
    QCOMPARE(core->options().value("CLKOUTD_DIVIDE").toMap().value("maximum"), QVariant(128.0));
    QCOMPARE(core->options().value("CLKIN_FREQ").toMap().value("default"),
             QVariant(description.contains("EXTRA") ? 27.0 : 100.0));
    QCOMPARE(core->isSupported(DEV::DeviceArg(device, device + "-X")), supported == 1);
}

void tst_Plugin::cancelledCreateLeavesNoFile()
{
    Core core = coreFrom(PLUGIN_DIR);
    QTemporaryDir out;
    ModalWatcher watcher(ModalWatcher::RejectDialogs);
    core->createModule(out.path(), DEV::DeviceTable::defaultDevice().arg());
    QCOMPARE(watcher.dialogs, QStringList{"ModMirel::Mirel_Dialog"});
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(QDir(out.path()).isEmpty());
}

void tst_Plugin::refusedFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("line"); // in batch use
    const QString version = "ERROR: " + incompatible;
    QTest::newRow("another version") << QByteArray("version=0.9\n[Config]\nMODE_GENERAL=true\n") << version;
    QTest::newRow("blank after the number") << QByteArray("version=\"1.0 \"\n[Config]\nMODE_GENERAL=true\n") << version;
    QTest::newRow("no version") << QByteArray("[Config]\nMODE_GENERAL=true\n") << version;
    QTest::newRow("missing file") << QByteArray() << version;
    QTest::newRow("CLKOUTD3 from a disabled CLKOUTP")
            << QByteArray("version=1.0\nmodule=pll1\n[Config]\nCKLOUTD3=true\nCLKOUTD3_SOURCE_CLKOUT=false\n")
            << "ERROR: Value 'false' is out of the range for configuration option 'CLKOUTD3_SOURCE_CLKOUT' for IP "
               "'pll1'.";
    QTest::newRow("VCO of 12800") << QByteArray(
            "version=1.0\nmodule=pll1\nfile=pll1\n[Config]\nMODE_GENERAL=false\n"
            "CLKIN_FREQ=100\nCLKIN_DIVIDE_STATIC_SEL=1\nCLKFB_DIVIDE_STATIC_SEL=64\n"
            "CLKOUT_DIVIDER=2\n") << "WARNING: The value of divide factor for CLKIN and CLKFB is illegal";
}

// Opened by a user, a file of another version shows its box and no dialog; one that loads opens
// the dialog. In batch use no box would ever be closed, so a refused file gives a line and false,
// and nothing of it is applied or written.
void tst_Plugin::refusedFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, line);
    Core core = coreFrom(PLUGIN_DIR);
    QTemporaryDir dir;
    const QString path = dir.filePath("pll.ipc");
    QVERIFY(content.isEmpty() || writeFile(path, content));
    const bool versionRefused = line.endsWith(incompatible);
    ModalWatcher watcher(ModalWatcher::RejectDialogs);
    core->openModule(path, QString());
    QCOMPARE(watcher.dialogs, versionRefused ? QStringList() : QStringList{"ModMirel::Mirel_Dialog"});
    QCOMPARE(watcher.boxes.size(), versionRefused ? 1 : 0);
    if (versionRefused) {
        const ModalWatcher::Box &box = watcher.boxes.first();
        QCOMPARE(box.title + ": " + box.text, "Error: " + incompatible);
        QVERIFY(box.hasWindowIcon && box.hasIconPixmap);
    }

    QVariantMap cfgs{{"kept", 1}};
    QStringList messages;
    QVERIFY(!core->openModuleBatch(path, QString(), cfgs, messages));
    QCOMPARE(watcher.boxes.size(), versionRefused ? 1 : 0);
    QCOMPARE(messages, QStringList{line});
    // A refused file hands nothing back; a file that loads reports its settings.
    QCOMPARE(cfgs == QVariantMap({{"kept", 1}}), line.startsWith("ERROR"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), content.isEmpty() ? QStringList() : QStringList{"pll.ipc"});
}

void tst_Plugin::batchRequests()
{
    Core core = coreFrom(PLUGIN_DIR);
    QTemporaryDir dir;
    const DEV::DeviceArg device = DEV::DeviceTable::defaultDevice().arg();
    QStringList messages;
    // Success merges the settings into the options (batchInterface holds the refusals).
    QVariantMap cfgs = {{"dir", dir.path()},    {"module", "pll1"},          {"file", "pll_file"}, {"CLKIN_FREQ", "27"},
                        {"CLKOUT_FREQ", "100"}, {"CLKOUT_TOLERANCE", "0.5"}, {"extra", "kept"}};
    QVERIFY2(core->createModuleBatch(cfgs, device, messages), qPrintable(messages.join('\n')));
    QCOMPARE(messages, QStringList());
    QCOMPARE(cfgs.value("extra").toString() + cfgs.value("CLKIN_FREQ").toString(), QString("kept27"));
    QVERIFY(cfgs.contains("CLKOUTD3_SOURCE_CLKOUT"));
    const QString out = dir.path() + "/pll_file";
    QCOMPARE(QDir(out).entryList(QDir::Files),
             QStringList({"pll_file.ipc", "pll_file.sdc", "pll_file.v", "pll_file_tb.v", "pll_file_tmp.v"}));

    // Re-opening the file replaces the map and generates the module again.
    QVERIFY(QFile::remove(out + "/pll_file.v"));
    QVariantMap reopened{{"stale", 1}};
    QVERIFY2(core->openModuleBatch(out + "/pll_file.ipc", QString(), reopened, messages),
             qPrintable(messages.join('\n')));
    QVERIFY(!reopened.contains("stale") && !reopened.contains("extra") && reopened.contains("MODE_GENERAL"));
    QVERIFY(QFile::exists(out + "/pll_file.v"));
}

// The plug-in needs from the host only what the host's own libraries provide: every
// host symbol it leaves undefined is on the contract list kept beside it.
void tst_Plugin::hostContract()
{
    QProcess nm;
    nm.start("nm", {"-DC", "--undefined-only", m_loader.fileName()});
    if (!nm.waitForFinished())
        QSKIP("nm (binutils) is not installed");
    QCOMPARE(nm.exitCode(), 0);
    QStringList listed;
    for (const QString &line : QString::fromUtf8(readFile(SOURCE_DIR "/plugin/host-contract.txt")).split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            listed << line;
    }
    const QRegularExpression host(R"(^\s*U ((typeinfo for |vtable for )?(IPCore|TE|DEV|Utils|Core)::.*)$)");
    QStringList needed, outside;
    for (const QString &line : QString::fromUtf8(nm.readAllStandardOutput()).split('\n')) {
        if (const QRegularExpressionMatch match = host.match(line); match.hasMatch())
            needed << match.captured(1);
    }
    for (const QString &symbol : needed) {
        if (!listed.contains(symbol))
            outside << symbol;
    }
    QVERIFY2(outside.isEmpty(), qPrintable("outside the host contract: " + outside.join("; ")));
    QVERIFY(needed.contains("IPCore::getPLLRange(DEV::DeviceArg)"));
}

// Every value the core's options() lists for a key is taken by the batch request
// with the meaning it describes (read back from the settings it reports); a value
// it does not list is refused with one line and leaves the caller's map alone.
void tst_Plugin::batchInterface_data()
{
    QTest::addColumn<QVariantMap>("cfgs");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("reported"); // invalid: refused; null: not reported
    QTest::addColumn<QString>("line");      // the refusal, or the module file written
    const QString device = DEV::DeviceTable::defaultDevice().device;
    // Every output on, so that each source, phase and divider setting means something.
    const QVariantMap context{{"module", "m"},     {"MODE_GENERAL", "false"}, {"CLKOUTP", "true"},
                              {"CLKOUTD", "true"}, {"CLKOUTD3", "true"},      {"DYNAMIC", "false"}};
    const auto with = [&](const QString &key, const QVariant &value) {
        QVariantMap cfgs = key == "LANG" ? QVariantMap{{"module", "m"}, {"file", "m"}} : context;
        cfgs.insert(key, value);
        return cfgs;
    };
    const auto refusal = [](const QString &value, const QString &key) {
        return QString("ERROR: Value '%1' is out of the range for configuration option '%2' for IP 'm'.").arg(value, key);
    };
    const QVariantMap options = coreFrom(PLUGIN_DIR)->options();
    for (auto it = options.begin(); it != options.end(); ++it) {
        const QString key = it.key(), kind = it.value().toMap().value("kind").toString();
        const QVariantMap option = it.value().toMap();
        const auto row = [&](const QString &what, const QVariant &value, const QVariant &reported,
                             const QString &line = {}) {
            QTest::addRow("%s %s", qPrintable(key), qPrintable(what)) << with(key, value) << key << reported << line;
        };
        if (kind == "text")
            continue; // the frame's fields, any text
        if (kind == "language") {
            const QStringList files{"m.v", "m.vhd"};
            for (int i = 0; i < 4; ++i)
                row(option.value("items").toStringList().at(i), option.value("items").toStringList().at(i),
                    QVariant(QVariant::String), files.at(i % 2));
            row("lower case", "vhdl", QVariant(QVariant::String), "m.vhd");
            row("a number", 1, QVariant(QVariant::String), "m.vhd");
            row("banana", "banana", QVariant(), refusal("banana", key) + " Legal values: 0, 1, Verilog, VHDL.");
            row("2", "2", QVariant(), refusal("2", key) + " Legal values: 0, 1, Verilog, VHDL.");
        } else if (kind == "switch" || kind == "item") {
            for (const QString &item : option.value("items").toStringList())
                row(item, item, kind == "switch" ? QVariant(item == "true") : QVariant(item));
            row("unlisted", "TRUE", QVariant(),
                refusal("TRUE", key) + (kind == "switch" ? " Legal values: true, false." : ""));
        } else if (kind == "bool") {
            row("true", "true", true);
            row("false", "false", false);
            row("unlisted", "yes", QVariant(), refusal("yes", key));
        } else {
            const QVariantMap range = option.contains("ranges") ? option.value("ranges").toMap().value(device).toMap()
                                                                : option;
            const double minimum = range.value("minimum").toDouble(), maximum = range.value("maximum").toDouble();
            // The CLKOUTD divider is never reported; its refusals are its own.
            const bool reported = !option.value("even").toBool();
            const auto number = [&](double v) {
                return kind == "int" ? QVariant(int(v)) : QVariant(v);
            };
            row("minimum", number(minimum), reported ? number(minimum) : QVariant(QVariant::String));
            row("maximum", number(maximum), reported ? number(maximum) : QVariant(QVariant::String));
            row("below", number(minimum - 1), QVariant(), refusal(number(minimum - 1).toString(), key));
            row("above", number(maximum + 1), QVariant(), refusal(number(maximum + 1).toString(), key));
            if (!reported)
                row("odd", 3, QVariant(), "ERROR: The divide factor of CLKOUTD must be an even number.");
        }
    }
    // An option that the other settings switch off is taken with one warning naming the setting; each row
    // flips one condition of the setting's file rule.
    const char *const noEffect[][3]
            = {{"CLKOUTP_PHASE", "CLKOUTP=true DYNAMIC=true", "DYNAMIC=true"},
               {"CLKOUTP_PHASE", "CLKOUTP=false DYNAMIC=false", "CLKOUTP=false"},
               {"CLKOUTP_DUTY_CYCLE", "CLKOUTP=true CLKOUTP_BYPASS=true DYNAMIC=false", "CLKOUTP_BYPASS=true"},
               {"CLKOUTP_BYPASS", "CLKOUTP=false", "CLKOUTP=false"},
               {"CLKOUT_FREQ", "MODE_GENERAL=false CLKOUT_DIVIDER=4", "MODE_GENERAL=false"},
               {"CLKOUT_TOLERANCE", "CLKOUT_BYPASS=true", "CLKOUT_BYPASS=true"},
               {"CLKOUTD_FREQ", "CLKOUTD=false", "CLKOUTD=false"},
               {"CLKOUTD_TOLERANCE", "CLKOUTD=true CLKOUTD_BYPASS=true", "CLKOUTD_BYPASS=true"},
               {"CLKOUTD_FREQ", "CLKOUTD=true CLKOUT_BYPASS=true", "CLKOUTD_BYPASS=true"},
               {"CLKOUTD_SOURCE_CLKOUT", "CLKOUTD=true CLKOUTD_BYPASS=true CLKOUTP=false", "CLKOUTD_BYPASS=true"},
               {"CLKOUTD3_SOURCE_CLKOUT", "CLKOUTD3=false", "CLKOUTD3=false"},
               {"CLKIN_DIVIDE_STATIC_SEL", "MODE_GENERAL=true", "MODE_GENERAL=true"},
               {"CLKOUT_DIVIDER", "MODE_GENERAL=true", "MODE_GENERAL=true"},
               {"CLKOUTD_DIVIDE", "MODE_GENERAL=false CLKOUTD=false CLKOUT_DIVIDER=4", "CLKOUTD=false"}};
    for (const auto &[key, settings, off] : noEffect) {
        QVariantMap cfgs{{"module", "m"}, {"file", "m"}};
        for (const QString &setting : QString(settings).split(' '))
            cfgs.insert(setting.section('=', 0, 0), setting.section('=', 1));
        const QVariant value = options.value(key).toMap().value("default");
        cfgs.insert(key, value.userType() == QMetaType::Bool ? value.toString() : value);
        QTest::addRow("%s while %s", key, off)
                << cfgs << QString(key) << QVariant(QVariant::String)
                << QString("WARNING: Option '%1' for IP 'm' has no effect while %2.").arg(key, off);
    }
}

void tst_Plugin::batchInterface()
{
    QFETCH(QVariantMap, cfgs);
    QFETCH(QString, key);
    QFETCH(QVariant, reported);
    QFETCH(QString, line);
    Core core = coreFrom(PLUGIN_DIR);
    QTemporaryDir dir;
    cfgs.insert("dir", dir.path());
    const QVariantMap given = cfgs;
    QStringList messages;
    const bool ok = core->createModuleBatch(cfgs, DEV::DeviceTable::defaultDevice().arg(), messages);
    if (!reported.isValid()) {
        QVERIFY(!ok);
        QCOMPARE(cfgs, given);
        QCOMPARE(messages.value(0).left(line.size()), line);
        // One refusal; the lines after it only name the limit and a way out (tst_programs' rows).
        QCOMPARE(messages.size() - messages.filter(QRegularExpression("^ERROR: (This device|CLKOUTD divides)")).size(),
                 1);
        QVERIFY(QDir(dir.path()).isEmpty());
        return;
    }
    // Taken: the reported settings are merged in, and no option was refused.
    QVERIFY2(cfgs.contains("CLKOUTD3_SOURCE_CLKOUT"), qPrintable(messages.join('\n')));
    QVERIFY2(!messages.join('\n').contains("ERROR: Value"), qPrintable(messages.join('\n')));
    if (!reported.isNull())
        QCOMPARE(cfgs.value(key).toString(), reported.toString());
    if (!line.isEmpty()) {
        QVERIFY2(ok, qPrintable(messages.join('\n')));
        QVERIFY(line.startsWith("WARNING") ? messages.filter("has no effect") == QStringList{line}
                                           : QFile::exists(dir.filePath("m/" + line)));
    }
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
