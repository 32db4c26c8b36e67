// SPDX-License-Identifier: MIT
// The plug-in as the host sees it: loaded through QPluginLoader, cast to the
// host's interface, asked for its cores.
#include "modalwatcher.h"

#include <baseipcoreinterface.h>
#include <devicetable.h>
#include <ipplugin.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using TE::TE_IPCore_Def::BaseIPCoreInterface;
using TE::TE_IPCore_Def::IPPlugin;
using CoreList = QList<BaseIPCoreInterface *>;

class tst_Plugin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void metadata();
    void oneGuardedInstance();
    void metacast_data();
    void metacast();
    void coreIdentity();
    void everyCallMakesANewCore();
    void rejectedDescriptionGivesNoCore_data();
    void rejectedDescriptionGivesNoCore();
    void versionBecomesText();
    void absentKeysReadEmpty();
    void unsupportedListComesFirst_data();
    void unsupportedListComesFirst();
    void cancelledCreateLeavesNoFile();
    void refusedOpenShowsNoDialog();

private:
    // Cores read from a description written into a scratch folder.
    std::unique_ptr<BaseIPCoreInterface> coreFor(const QVariantMap &description);
    IPPlugin *plugin() { return qobject_cast<IPPlugin *>(m_loader.instance()); }

    QPluginLoader m_loader;
    QTemporaryDir m_scratch;
};

void tst_Plugin::initTestCase()
{
    QDir dir(QStringLiteral(PLUGIN_DIR));
    const QStringList libs = dir.entryList({QStringLiteral("*.so")}, QDir::Files);
    QCOMPARE(libs.size(), 1);
    m_loader.setFileName(dir.absoluteFilePath(libs.first()));
    QVERIFY2(m_loader.load(), qPrintable(m_loader.errorString()));
    QVERIFY(QFile::exists(dir.absoluteFilePath(QStringLiteral("pll.ipspec"))));
}

void tst_Plugin::metadata()
{
    const QJsonObject meta = m_loader.metaData();
    QCOMPARE(meta.value(QStringLiteral("IID")).toString(), QStringLiteral("ModMirel.MirelPackage/1.0"));
    QCOMPARE(meta.value(QStringLiteral("className")).toString(), QStringLiteral("MirelPackage"));
    QVERIFY(meta.value(QStringLiteral("MetaData")).toObject().isEmpty());
}

void tst_Plugin::oneGuardedInstance()
{
    QObject *first = m_loader.instance();
    QVERIFY(first);
    QCOMPARE(m_loader.instance(), first);
    QCOMPARE(first->metaObject()->className(), "ModMirel::MirelPackage");
    QCOMPARE(first->metaObject()->superClass(), &IPPlugin::staticMetaObject);
}

void tst_Plugin::metacast_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("self");
    QTest::newRow("host interface") << QByteArray(TE_IPPLUGIN_IID) << true;
    QTest::newRow("own class") << QByteArray("ModMirel::MirelPackage") << true;
    QTest::newRow("base class") << QByteArray("TE::TE_IPCore_Def::IPPlugin") << true;
    QTest::newRow("QObject") << QByteArray("QObject") << true;
    QTest::newRow("unrelated") << QByteArray("QWidget") << false;
}

void tst_Plugin::metacast()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, self);
    QObject *instance = m_loader.instance();
    QCOMPARE(instance->qt_metacast(name.constData()) == instance, self);
    if (!self)
        QVERIFY(!instance->qt_metacast(name.constData()));
    QVERIFY(!instance->qt_metacast(nullptr));
    QVERIFY(qobject_cast<IPPlugin *>(instance));
}

void tst_Plugin::coreIdentity()
{
    plugin()->pluginDir = QStringLiteral(PLUGIN_DIR);
    const CoreList cores = plugin()->ipCores();
    QCOMPARE(cores.size(), 1);
    std::unique_ptr<BaseIPCoreInterface> core(cores.first());
    QCOMPARE(core->id(), QStringLiteral("MIREL"));
    QVERIFY(!core->name().isEmpty());
    QCOMPARE(core->version(), QStringLiteral("1.0"));
    QVERIFY(core->category().contains(QStringLiteral("PLL")));
    QVERIFY(core->isSupported(DEV::DeviceTable::defaultDevice().arg()));
    QCOMPARE(core->info().value(QStringLiteral("ipcore.id")).toString(), core->id());
}

void tst_Plugin::everyCallMakesANewCore()
{
    plugin()->pluginDir = QStringLiteral(PLUGIN_DIR);
    std::unique_ptr<BaseIPCoreInterface> first(plugin()->ipCores().value(0));
    std::unique_ptr<BaseIPCoreInterface> second(plugin()->ipCores().value(0));
    QVERIFY(first && second);
    QVERIFY(first.get() != second.get());
}

void tst_Plugin::rejectedDescriptionGivesNoCore_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("no id") << QByteArray(R"({"ipcore.name":"n","ipcore.version":"1.0"})");
    QTest::newRow("no name") << QByteArray(R"({"ipcore.id":"i","ipcore.version":"1.0"})");
    QTest::newRow("no version") << QByteArray(R"({"ipcore.id":"i","ipcore.name":"n"})");
    QTest::newRow("not JSON") << QByteArray("ipcore.id = MIREL");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("array") << QByteArray(R"(["ipcore.id","MIREL"])");
}

void tst_Plugin::rejectedDescriptionGivesNoCore()
{
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QFile spec(dir.filePath(QStringLiteral("pll.ipspec")));
    QVERIFY(spec.open(QIODevice::WriteOnly));
    spec.write(content);
    spec.close();
    plugin()->pluginDir = dir.path();
    QVERIFY(plugin()->ipCores().isEmpty());

    plugin()->pluginDir = dir.filePath(QStringLiteral("missing"));
    QVERIFY(plugin()->ipCores().isEmpty());
}

std::unique_ptr<BaseIPCoreInterface> tst_Plugin::coreFor(const QVariantMap &description)
{
    QFile spec(m_scratch.filePath(QStringLiteral("pll.ipspec")));
    if (!spec.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return nullptr;
    spec.write(QJsonDocument(QJsonObject::fromVariantMap(description)).toJson());
    spec.close();
    plugin()->pluginDir = m_scratch.path();
    return std::unique_ptr<BaseIPCoreInterface>(plugin()->ipCores().value(0));
}

static QVariantMap minimalDescription()
{
    return {{QStringLiteral("ipcore.id"), QStringLiteral("MIREL")},
            {QStringLiteral("ipcore.name"), QStringLiteral("PLL")},
            {QStringLiteral("ipcore.version"), QStringLiteral("1.0")}};
}

void tst_Plugin::versionBecomesText()
{
    QVariantMap description = minimalDescription();
    description.insert(QStringLiteral("ipcore.version"), 2.5);
    auto core = coreFor(description);
    QVERIFY(core);
    QCOMPARE(core->version(), QStringLiteral("2.5"));
    QCOMPARE(core->info().value(QStringLiteral("ipcore.version")).userType(), int(QMetaType::QString));
}

void tst_Plugin::absentKeysReadEmpty()
{
    auto core = coreFor(minimalDescription());
    QVERIFY(core);
    QVERIFY(core->category().isEmpty());
    QVERIFY(core->options().isEmpty());
    QVERIFY(core->summary().isEmpty());
    // Nothing listed means nothing is excluded.
    QVERIFY(core->isSupported(DEV::DeviceArg(QStringLiteral("ANY-1"), QStringLiteral("ANY-1-X"))));
}

void tst_Plugin::unsupportedListComesFirst_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("supported");
    QTest::newRow("listed as supported") << "AXL-12" << true;
    QTest::newRow("listed as unsupported") << "BRN-4LP" << false;
    QTest::newRow("in both lists") << "AXL-25" << false;
    QTest::newRow("in neither list") << "QQ-1" << false;
}

void tst_Plugin::unsupportedListComesFirst()
{
    QFETCH(QString, device);
    QFETCH(bool, supported);
    QVariantMap description = minimalDescription();
    description.insert(QStringLiteral("ipcore.device.supported"), QStringList{QStringLiteral("AXL-*")});
    description.insert(QStringLiteral("ipcore.device.unsupported"),
                       QStringList{QStringLiteral("BRN-*"), QStringLiteral("AXL-25")});
    auto core = coreFor(description);
    QVERIFY(core);
    QCOMPARE(core->isSupported(DEV::DeviceArg(device, device + QStringLiteral("-X"))), supported);
}

void tst_Plugin::cancelledCreateLeavesNoFile()
{
    plugin()->pluginDir = QStringLiteral(PLUGIN_DIR);
    std::unique_ptr<BaseIPCoreInterface> core(plugin()->ipCores().value(0));
    QTemporaryDir out;
    ModalWatcher watcher(ModalWatcher::RejectDialogs);
    core->createModule(out.path(), DEV::DeviceTable::defaultDevice().arg());
    QCOMPARE(watcher.dialogs, QStringList{QStringLiteral("ModMirel::Mirel_Dialog")});
    QVERIFY(watcher.boxes.isEmpty());
    QVERIFY(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

void tst_Plugin::refusedOpenShowsNoDialog()
{
    plugin()->pluginDir = QStringLiteral(PLUGIN_DIR);
    std::unique_ptr<BaseIPCoreInterface> core(plugin()->ipCores().value(0));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.ipc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("version=0.9\n[Config]\nMODE_GENERAL=true\n");
    file.close();
    ModalWatcher watcher(ModalWatcher::RejectDialogs);
    core->openModule(path, QString());
    QVERIFY(watcher.dialogs.isEmpty());
    // The user is told why, in the one box of a refused file.
    QCOMPARE(watcher.boxes.size(), 1);
    QCOMPARE(watcher.boxes.first().title, QStringLiteral("Error"));
    QVERIFY(watcher.boxes.first().hasIconPixmap);
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
