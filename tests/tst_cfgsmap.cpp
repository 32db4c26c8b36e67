// SPDX-License-Identifier: MIT
// The host's batch option setter and reader, and its configuration file writer.
#include <cfgsmap.h>
#include <ipconfigwriter.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

class tst_CfgsMap : public QObject
{
    Q_OBJECT

private slots:
    void setValue_data();
    void setValue();
    void absentKeyTakesDefault_data();
    void absentKeyTakesDefault();
    void refusalLineKeepsPercentSigns();
    void insertTypes_data();
    void insertTypes();

    void writeRoundTrip_data();
    void writeRoundTrip();
    void writeLayout();
    void rewriteDropsStaleKeys();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
};

namespace {

const QString Key = QStringLiteral("OPTION");
const QString Ip = QStringLiteral("pll_0");

// One control of each kind, in a known starting state.
std::unique_ptr<QWidget> makeControl(const QString &kind)
{
    if (kind == QLatin1String("check")) {
        auto box = std::make_unique<QCheckBox>();
        box->setChecked(true);
        return box;
    }
    if (kind == QLatin1String("radio")) {
        auto radio = std::make_unique<QRadioButton>();
        radio->setAutoExclusive(false);
        return radio;
    }
    if (kind == QLatin1String("spin")) {
        auto spin = std::make_unique<QSpinBox>();
        spin->setRange(1, 64);
        spin->setValue(5);
        return spin;
    }
    if (kind == QLatin1String("double")) {
        auto spin = std::make_unique<QDoubleSpinBox>();
        spin->setDecimals(3);
        spin->setRange(3.0, 450.0);
        spin->setValue(100.0);
        return spin;
    }
    auto combo = std::make_unique<QComboBox>();
    combo->addItems({QStringLiteral("0.0"), QStringLiteral("0.2"), QStringLiteral("0.5"), QStringLiteral("2.0")});
    combo->setCurrentIndex(1);
    return combo;
}

QVariant valueOf(QWidget *control)
{
    if (auto *spin = qobject_cast<QDoubleSpinBox *>(control))
        return spin->value();
    if (auto *spin = qobject_cast<QSpinBox *>(control))
        return spin->value();
    if (auto *combo = qobject_cast<QComboBox *>(control))
        return combo->currentText();
    return qobject_cast<QAbstractButton *>(control)->isChecked();
}

QString line(const QString &value)
{
    return QStringLiteral("ERROR: Value '%1' is out of the range for configuration option 'OPTION' for IP 'pll_0'.")
        .arg(value);
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void tst_CfgsMap::setValue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected"); // invalid: refused, control unchanged

    const QVariant refused;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();

    QTest::newRow("check text false") << "check" << QVariant("false") << QVariant(false);
    QTest::newRow("check bool false") << "check" << QVariant(false) << QVariant(false);
    QTest::newRow("radio text true") << "radio" << QVariant("true") << QVariant(true);
    QTest::newRow("check capitals") << "check" << QVariant("FALSE") << refused;
    QTest::newRow("check int") << "check" << QVariant(0) << refused;
    QTest::newRow("check empty") << "check" << QVariant("") << refused;
    QTest::newRow("check trailing blank") << "check" << QVariant("false ") << refused;
    QTest::newRow("check invalid variant") << "check" << QVariant() << refused;

    QTest::newRow("spin text") << "spin" << QVariant("8") << QVariant(8);
    QTest::newRow("spin int at maximum") << "spin" << QVariant(64) << QVariant(64);
    QTest::newRow("spin whole double") << "spin" << QVariant(8.0) << QVariant(8);
    QTest::newRow("spin above range") << "spin" << QVariant("65") << refused;
    QTest::newRow("spin below range") << "spin" << QVariant(0) << refused;
    QTest::newRow("spin fraction text") << "spin" << QVariant("8.5") << refused;
    QTest::newRow("spin fraction double") << "spin" << QVariant(8.5) << refused;
    QTest::newRow("spin trailing garbage") << "spin" << QVariant("8x") << refused;
    QTest::newRow("spin empty") << "spin" << QVariant("") << refused;
    QTest::newRow("spin bool") << "spin" << QVariant(true) << refused;
    QTest::newRow("spin overflow") << "spin" << QVariant("99999999999999999999999") << refused;

    QTest::newRow("double text") << "double" << QVariant("123.456") << QVariant(123.456);
    QTest::newRow("double exponent") << "double" << QVariant("1e2") << QVariant(100.0);
    QTest::newRow("double int at maximum") << "double" << QVariant(450) << QVariant(450.0);
    QTest::newRow("double at minimum") << "double" << QVariant("3") << QVariant(3.0);
    QTest::newRow("double rounds to decimals") << "double" << QVariant(123.4564) << QVariant(123.456);
    QTest::newRow("double just above") << "double" << QVariant("450.001") << refused;
    QTest::newRow("double just below") << "double" << QVariant(2.999) << refused;
    QTest::newRow("double nan text") << "double" << QVariant("nan") << refused;
    QTest::newRow("double nan") << "double" << QVariant(nan) << refused;
    QTest::newRow("double inf") << "double" << QVariant(inf) << refused;
    QTest::newRow("double unit") << "double" << QVariant("100MHz") << refused;

    QTest::newRow("combo item") << "combo" << QVariant("0.5") << QVariant("0.5");
    QTest::newRow("combo first item") << "combo" << QVariant(QByteArray("0.0")) << QVariant("0.0");
    QTest::newRow("combo other spelling") << "combo" << QVariant("0.50") << refused;
    QTest::newRow("combo index number") << "combo" << QVariant(2) << refused;
    QTest::newRow("combo number of item") << "combo" << QVariant(0.5) << refused;
}

void tst_CfgsMap::setValue()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);

    auto control = makeControl(kind);
    const QVariant before = valueOf(control.get());
    QStringList messages;
    const bool accepted = IPCore::setValueByCfgsMap(Key, QVariant(), control.get(), {{Key, value}}, Ip, messages);

    if (expected.isValid()) {
        QVERIFY2(accepted, qPrintable(messages.join(QLatin1Char('\n'))));
        QVERIFY(messages.isEmpty());
        QCOMPARE(valueOf(control.get()), expected);
    } else {
        QVERIFY(!accepted);
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(QLatin1String("ERROR: Value '")), qPrintable(messages.first()));
        QVERIFY(messages.first().endsWith(QLatin1String("' is out of the range for configuration option 'OPTION' for IP 'pll_0'.")));
        QCOMPARE(valueOf(control.get()), before);
    }
}

void tst_CfgsMap::absentKeyTakesDefault_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("defaultValue");
    QTest::addColumn<QVariant>("expected"); // invalid: refused

    QTest::newRow("check") << "check" << QVariant(false) << QVariant(false);
    QTest::newRow("spin") << "spin" << QVariant(1) << QVariant(1);
    QTest::newRow("double text") << "double" << QVariant("400.000") << QVariant(400.0);
    QTest::newRow("combo") << "combo" << QVariant("0.0") << QVariant("0.0");
    // A device with narrower limits than the default: bounded, since the script asked for nothing.
    QTest::newRow("double default beyond range") << "double" << QVariant("500.000") << QVariant(450.0);
    QTest::newRow("combo default not an item") << "combo" << QVariant("0.7") << QVariant();
}

void tst_CfgsMap::absentKeyTakesDefault()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, defaultValue);
    QFETCH(QVariant, expected);

    auto control = makeControl(kind);
    QStringList messages;
    const QVariantMap others{{QStringLiteral("OTHER"), QStringLiteral("x")}};
    const bool accepted = IPCore::setValueByCfgsMap(Key, defaultValue, control.get(), others, Ip, messages);
    QCOMPARE(accepted, expected.isValid());
    QCOMPARE(messages.size(), accepted ? 0 : 1);
    if (accepted)
        QCOMPARE(valueOf(control.get()), expected);
}

void tst_CfgsMap::refusalLineKeepsPercentSigns()
{
    auto control = makeControl(QStringLiteral("spin"));
    QStringList messages{QStringLiteral("earlier line")};
    QVERIFY(!IPCore::setValueByCfgsMap(Key, 1, control.get(), {{Key, QStringLiteral("%2 and %3")}}, Ip, messages));
    QCOMPARE(messages, QStringList({QStringLiteral("earlier line"), line(QStringLiteral("%2 and %3"))}));

    messages.clear();
    QVERIFY(!IPCore::setValueByCfgsMap(Key, 1, nullptr, {{Key, 4}}, Ip, messages));
    QCOMPARE(messages, QStringList{line(QStringLiteral("4"))});
}

void tst_CfgsMap::insertTypes_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("check") << "check" << QVariant(true);
    QTest::newRow("radio") << "radio" << QVariant(false);
    QTest::newRow("spin") << "spin" << QVariant(5);
    QTest::newRow("double") << "double" << QVariant(100.0);
    QTest::newRow("combo") << "combo" << QVariant(QStringLiteral("0.2"));
}

void tst_CfgsMap::insertTypes()
{
    QFETCH(QString, kind);
    QFETCH(QVariant, expected);

    auto control = makeControl(kind);
    QVariantMap map;
    IPCore::insertToCfgsMap(Key, control.get(), map);
    QCOMPARE(map.keys(), QStringList{Key});
    QCOMPARE(map.value(Key).userType(), expected.userType());
    QCOMPARE(map.value(Key), expected);

    QLineEdit edit(QStringLiteral("text"));
    IPCore::insertToCfgsMap(QStringLiteral("EDIT"), &edit, map);
    QVERIFY(!map.contains(QStringLiteral("EDIT")));
}

void tst_CfgsMap::writeRoundTrip_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("readBack");

    QTest::newRow("equals sign") << "K" << QVariant("a=b") << QVariant("a=b");
    QTest::newRow("semicolon") << "K" << QVariant("a;b") << QVariant("a;b");
    QTest::newRow("comma") << "K" << QVariant("a,b") << QVariant("a,b");
    QTest::newRow("quotes") << "K" << QVariant("say \"hi\"") << QVariant("say \"hi\"");
    QTest::newRow("backslashes") << "K" << QVariant("C:\\dir\\x") << QVariant("C:\\dir\\x");
    QTest::newRow("non-ASCII") << "K" << QVariant(QStringLiteral("Grüße ✓")) << QVariant(QStringLiteral("Grüße ✓"));
    QTest::newRow("hex digit after escape") << "K" << QVariant(QStringLiteral("é1fA")) << QVariant(QStringLiteral("é1fA"));
    QTest::newRow("outside the BMP") << "K" << QVariant(QStringLiteral("\U0001F600")) << QVariant(QStringLiteral("\U0001F600"));
    QTest::newRow("outer blanks") << "K" << QVariant("  padded ") << QVariant("  padded ");
    QTest::newRow("control characters") << "K" << QVariant("a\nb\tc\rd") << QVariant("a\nb\tc\rd");
    QTest::newRow("leading at sign") << "K" << QVariant("@Variant(x)") << QVariant("@Variant(x)");
    QTest::newRow("empty text") << "K" << QVariant("") << QVariant("");
    QTest::newRow("key with blanks") << "two words" << QVariant("v") << QVariant("v");
    QTest::newRow("non-ASCII key") << QStringLiteral("Größe€") << QVariant("v") << QVariant("v");
    QTest::newRow("bool true") << "K" << QVariant(true) << QVariant("true");
    QTest::newRow("bool false") << "K" << QVariant(false) << QVariant("false");
    QTest::newRow("int") << "K" << QVariant(-42) << QVariant("-42");
    QTest::newRow("whole double") << "K" << QVariant(400.0) << QVariant("400");
    QTest::newRow("three decimals") << "K" << QVariant(123.457) << QVariant("123.457");
    QTest::newRow("small double, no exponent") << "K" << QVariant(0.0234375) << QVariant("0.0234375");
    QTest::newRow("large double, no exponent") << "K" << QVariant(999999999.0) << QVariant("999999999");
}

void tst_CfgsMap::writeRoundTrip()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QVariant, readBack);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("x.ipc"));
    IPCore::writeIPConfig(path, {{QStringLiteral("version"), QStringLiteral("1.0")}, {key, value}},
                          {{key, value}, {QStringLiteral("Z"), 1}});

    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.value(QStringLiteral("version")), QVariant("1.0"));
    QCOMPARE(settings.value(key), readBack);
    settings.beginGroup(QStringLiteral("Config"));
    QCOMPARE(settings.childKeys().size(), 2);
    QCOMPARE(settings.value(key), readBack);
    QCOMPARE(settings.value(QStringLiteral("Z")), QVariant("1"));
}

void tst_CfgsMap::writeLayout()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pll.ipc"));
    IPCore::writeIPConfig(path,
                          {{QStringLiteral("version"), QStringLiteral("1.0")}, {QStringLiteral("type"), QString()}},
                          {{QStringLiteral("MODE_GENERAL"), true}, {QStringLiteral("CLKIN_FREQ"), 100.0}});
    // Hand-made tools read these files too, so the layout itself is pinned.
    QCOMPARE(contents(path), QByteArray("[General]\ntype=\nversion=1.0\n\n"
                                        "[Config]\nCLKIN_FREQ=100\nMODE_GENERAL=true\n"));

    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.childGroups(), QStringList{QStringLiteral("Config")});
    QCOMPARE(settings.value(QStringLiteral("type")), QVariant(QString()));
}

void tst_CfgsMap::rewriteDropsStaleKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pll.ipc"));
    IPCore::writeIPConfig(path, {{QStringLiteral("version"), QStringLiteral("1.0")}},
                          {{QStringLiteral("CLKOUT_DIVIDER"), QStringLiteral("16")}, {QStringLiteral("A"), 1}});
    IPCore::writeIPConfig(path, {{QStringLiteral("version"), QStringLiteral("1.0")}}, {{QStringLiteral("A"), 2}});

    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Config"));
    QCOMPARE(settings.childKeys(), QStringList{QStringLiteral("A")});
    QCOMPARE(settings.value(QStringLiteral("A")), QVariant("2"));
}

void tst_CfgsMap::failedWriteKeepsOldFile_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("missing directory") << "missing";
    QTest::newRow("read-only directory") << "readonly";
    QTest::newRow("disk full while writing") << "full";
}

void tst_CfgsMap::failedWriteKeepsOldFile()
{
    QFETCH(QString, failure);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("pll.ipc"));
    const QVariantMap info{{QStringLiteral("version"), QStringLiteral("1.0")}};
    IPCore::writeIPConfig(path, info, {{QStringLiteral("OLD"), true}});
    const QByteArray old = contents(path);
    QVERIFY(!old.isEmpty());

    QVariantMap config;
    for (int i = 0; i < 50; ++i)
        config.insert(QStringLiteral("NEW_KEY_%1").arg(i), QStringLiteral("a value long enough to need room"));

    const QRegularExpression warning(QStringLiteral("^IPCore::writeIPConfig: could not write '.*pll\\.ipc'"));
    if (failure == QLatin1String("missing")) {
        path = dir.filePath(QStringLiteral("absent/pll.ipc"));
        QTest::ignoreMessage(QtWarningMsg, warning);
        IPCore::writeIPConfig(path, info, config);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("absent"))));
        return;
    }
#ifdef Q_OS_UNIX
    if (failure == QLatin1String("readonly")) {
        const auto writable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        if (::access(qPrintable(dir.path()), W_OK) == 0) {
            QFile::setPermissions(dir.path(), writable);
            QSKIP("permissions do not bind this user (root)");
        }
        QTest::ignoreMessage(QtWarningMsg, warning);
        IPCore::writeIPConfig(path, info, config);
        QFile::setPermissions(dir.path(), writable);
    } else {
        // The write fails part-way, after the temporary file has been started.
        rlimit saved{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 64;
        auto *previous = std::signal(SIGXFSZ, SIG_IGN);
        QTest::ignoreMessage(QtWarningMsg, warning);
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        IPCore::writeIPConfig(path, info, config);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
#else
    QSKIP("needs POSIX permissions and limits");
#endif
    QCOMPARE(contents(path), old);
    // No temporary file is left behind beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("pll.ipc")});
}

QTEST_MAIN(tst_CfgsMap)
#include "tst_cfgsmap.moc"
