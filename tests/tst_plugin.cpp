// SPDX-License-Identifier: MIT
// The plug-in as the host sees it: loaded through QPluginLoader, cast to the
// host's interface, asked for its cores.
#include "modalwatcher.h"

#include <baseipcoreinterface.h>
#include <devicetable.h>
#include <ipplugin.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPluginLoader>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using TE::TE_IPCore_Def::BaseIPCoreInterface;
using TE::TE_IPCore_Def::IPPlugin;
using Core = std::unique_ptr<BaseIPCoreInterface>;

class tst_Plugin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneGuardedInstance();
    void coreIdentity();
    void rejectedDescriptionGivesNoCore_data();
    void rejectedDescriptionGivesNoCore();
    void descriptionKeys_data();
    void descriptionKeys();
    void cancelledCreateLeavesNoFile();
    void refusedFile_data();
    void refusedFile();

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
        QFile file(m_scratch.filePath("pll.ipspec"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(description) != description.size())
            return nullptr;
        file.close();
        return coreFrom(m_scratch.path());
    }
    IPPlugin *plugin() { return qobject_cast<IPPlugin *>(m_loader.instance()); }

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

void tst_Plugin::oneGuardedInstance()
{
    const QJsonObject meta = m_loader.metaData();
    QCOMPARE(meta.value("IID").toString() + ' ' + meta.value("className").toString(),
             QString("ModMirel.MirelPackage/1.0 MirelPackage"));
    QObject *instance = m_loader.instance();
    QVERIFY(instance);
    QCOMPARE(m_loader.instance(), instance);
    // The host casts through its interface identifier.
    QCOMPARE(instance->qt_metacast(TE_IPPLUGIN_IID), static_cast<void *>(instance));
    QVERIFY(!instance->qt_metacast("QWidget") && !instance->qt_metacast(nullptr));
    QVERIFY(qobject_cast<IPPlugin *>(instance));
}

void tst_Plugin::coreIdentity()
{
    Core core = coreFrom(PLUGIN_DIR);
    QVERIFY(core);
    QCOMPARE(core->id() + ' ' + core->version(), QString("MIREL 1.0"));
    QVERIFY(!core->name().isEmpty() && core->category().contains("PLL"));
    QVERIFY(core->isSupported(DEV::DeviceTable::defaultDevice().arg()));
    // Every call hands over a new core.
    Core second = coreFrom(PLUGIN_DIR);
    QVERIFY(second && second.get() != core.get());
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
    QVERIFY(!coreFor(content));
    QVERIFY(!coreFrom(m_scratch.filePath("missing")));
}

void tst_Plugin::descriptionKeys_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QString>("device");
    QTest::addColumn<bool>("supported");
    const QByteArray lists
            = R"(, "ipcore.device.supported": ["AXL-*"], "ipcore.device.unsupported": ["BRN-*", "AXL-25"])";
    QTest::newRow("nothing listed excludes nothing") << QByteArray() << "ANY-1" << true;
    QTest::newRow("listed as supported") << lists << "AXL-12" << true;
    QTest::newRow("listed as unsupported") << lists << "BRN-4LP" << false;
    QTest::newRow("in both lists: unsupported first") << lists << "AXL-25" << false;
    QTest::newRow("in neither list") << lists << "QQ-1" << false;
}

// The version may be a number in the description and reads as text; absent keys read empty.
void tst_Plugin::descriptionKeys()
{
    QFETCH(QByteArray, extra);
    QFETCH(QString, device);
    QFETCH(bool, supported);
    Core core = coreFor(R"({"ipcore.id": "MIREL", "ipcore.name": "PLL", "ipcore.version": 2.5)" + extra + "}");
    QVERIFY(core);
    QCOMPARE(core->version(), QString("2.5"));
    QCOMPARE(core->info().value("ipcore.version").userType(), int(QMetaType::QString));
    QVERIFY(core->category().isEmpty() && core->summary().isEmpty());
    // The options come from the key table whatever the description says.
    QCOMPARE(core->options().value("CLKOUTD_DIVIDE").toMap().value("maximum"), QVariant(128.0));
    QCOMPARE(core->isSupported(DEV::DeviceArg(device, device + "-X")), supported);
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
    QTest::newRow("another version") << QByteArray("version=0.9\n[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("blank after the number") << QByteArray("version=\"1.0 \"\n[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("no version") << QByteArray("[Config]\nMODE_GENERAL=true\n");
    QTest::newRow("missing file") << QByteArray();
}

// Opened by a user, a refused file shows its box and no dialog; in batch use no box
// would ever be closed, so it gives a line and false. Nothing of the file is applied.
void tst_Plugin::refusedFile()
{
    QFETCH(QByteArray, content);
    Core core = coreFrom(PLUGIN_DIR);
    const QString path = m_scratch.filePath("old.ipc");
    QFile::remove(path);
    QFile file(path);
    QVERIFY(content.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
    file.close();
    ModalWatcher watcher(ModalWatcher::RejectDialogs);
    core->openModule(path, QString());
    QVERIFY(watcher.dialogs.isEmpty());
    QCOMPARE(watcher.boxes.size(), 1);
    const ModalWatcher::Box &box = watcher.boxes.first();
    const QString text = "This version of specified IP Config file is incompatible with current IP Core Generator.";
    QCOMPARE(box.title + ": " + box.text, "Error: " + text);
    QVERIFY(box.hasWindowIcon && box.hasIconPixmap);

    QVariantMap cfgs{{"kept", 1}};
    QStringList messages;
    QVERIFY(!core->openModuleBatch(path, QString(), cfgs, messages));
    QCOMPARE(watcher.boxes.size(), 1);
    QCOMPARE(messages, QStringList{"ERROR: " + text});
    QCOMPARE(cfgs, QVariantMap({{"kept", 1}}));
}

QTEST_MAIN(tst_Plugin)
#include "tst_plugin.moc"
