// SPDX-License-Identifier: MIT
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run mirelCalc(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(MIREL_CALC_PATH), args);
    Run r;
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString text(const QJsonValue &v)
{
    if (v.isNull())
        return QStringLiteral("null");
    return v.isDouble() ? QString::number(v.toDouble(), 'f', 3) : v.toVariant().toString();
}

} // namespace

class TstMirelCalc : public QObject
{
    Q_OBJECT

private slots:
    void json_data();
    void json();
    void usageErrors_data();
    void usageErrors();
    void plainOutput();
};

void TstMirelCalc::json_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    // "idiv fbdiv odiv sdiv clkout clkoutd", numbers as the user sees them
    QTest::addColumn<QString>("values");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("firstAlternative"); // "clkout idiv fbdiv odiv", or empty
    QTest::addColumn<int>("alternatives");

    const QString clkoutFails = QStringLiteral("WARNING: The Expected Frequency of CLKOUT cannot be generated. "
                                               "Try to change the Expected Frequency or Tolerance(%)");

    QTest::newRow("27->100 at 0.5%")
        << QStringList{"--clkin", "27", "--clkout", "100", "--tolerance", "0.5"} << 0
        << "7.000 26.000 4.000 null 100.286 null" << QStringList() << "" << 0;
    QTest::newRow("27->100 at 0.0% lists alternatives")
        << QStringList{"--clkin", "27", "--clkout", "100"} << 1
        << "null null null null null null" << QStringList{clkoutFails} << "100.286 7.000 26.000 4.000" << 5;
    QTest::newRow("--alternatives 2")
        << QStringList{"--clkin", "27", "--clkout", "100", "--alternatives", "2"} << 1
        << "null null null null null null" << QStringList{clkoutFails} << "100.286 7.000 26.000 4.000" << 2;
    QTest::newRow("Advanced, ODIV recommended")
        << QStringList{"--clkin", "27", "--idiv", "1", "--fbdiv", "4", "--odiv", "2"} << 1
        << "null null null null null null"
        << QStringList{"WARNING: The divide factor of CLKOUT is illegal, the recommand value is 4."} << "" << 0;
    QTest::newRow("Advanced with SDIV")
        << QStringList{"--clkin", "27", "--idiv", "1", "--fbdiv", "4", "--odiv", "4", "--sdiv", "6"} << 0
        << "1.000 4.000 4.000 6.000 108.000 18.000" << QStringList() << "" << 0;
    QTest::newRow("bypassed with CLKOUTD search")
        << QStringList{"--clkin", "27", "--bypass", "--clkoutd", "6.75"} << 0
        << "1.000 1.000 16.000 4.000 27.000 6.750" << QStringList() << "" << 0;
    QTest::newRow("other device, other ODIV")
        << QStringList{"--device", "AXL-25", "--clkin", "210", "--bypass"} << 0
        << "1.000 1.000 4.000 null 210.000 null" << QStringList() << "" << 0;
    QTest::newRow("CLKOUTD fails, CLKOUT stays")
        << QStringList{"--clkin", "50", "--clkout", "100", "--clkoutd", "30", "--clkoutd-tolerance", "2"} << 1
        << "1.000 2.000 4.000 null 100.000 null"
        << QStringList{"WARNING: The Expected Frequency of CLKOUTD cannot be generated. Try to change the Expected Frequency or Tolerance(%)"}
        << "" << 0;
    QTest::newRow("odd SDIV refused")
        << QStringList{"--clkin", "27", "--clkout", "100", "--tolerance", "0.5", "--sdiv", "3"} << 1
        << "null null null null null null"
        << QStringList{"WARNING:The divide factor of CLKOUTD must be an even number."} << "" << 0;
}

void TstMirelCalc::json()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, values);
    QFETCH(QStringList, messages);
    QFETCH(QString, firstAlternative);
    QFETCH(int, alternatives);

    const Run r = mirelCalc(args << QStringLiteral("--json"));
    QCOMPARE(r.exitCode, exitCode);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    for (const char *key : {"ok", "idiv", "fbdiv", "odiv", "sdiv", "clkout", "clkoutd", "pfd", "vco", "messages", "alternatives"})
        QVERIFY2(o.contains(QLatin1String(key)), key);

    QCOMPARE(o.value("ok").toBool(), exitCode == 0);
    QStringList got;
    for (const char *key : {"idiv", "fbdiv", "odiv", "sdiv", "clkout", "clkoutd"})
        got << text(o.value(QLatin1String(key)));
    QCOMPARE(got.join(' '), values);
    QCOMPARE(o.value("pfd").isNull(), o.value("clkout").isNull());
    QCOMPARE(o.value("messages").toVariant().toStringList(), messages);

    const QJsonArray alts = o.value("alternatives").toArray();
    QCOMPARE(alts.size(), alternatives);
    if (!firstAlternative.isEmpty()) {
        const QJsonObject a = alts.first().toObject();
        QCOMPARE(QStringList({text(a.value("clkout")), text(a.value("idiv")), text(a.value("fbdiv")), text(a.value("odiv"))}).join(' '),
                 firstAlternative);
    }
}

void TstMirelCalc::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("no --clkin") << QStringList{"--clkout", "100"} << "--clkin";
    QTest::newRow("no mode") << QStringList{"--clkin", "27"} << "--clkout";
    QTest::newRow("both modes") << QStringList{"--clkin", "27", "--clkout", "100", "--idiv", "1", "--fbdiv", "4", "--odiv", "4"} << "exclude";
    QTest::newRow("Advanced without --odiv") << QStringList{"--clkin", "27", "--idiv", "1", "--fbdiv", "4"} << "--odiv";
    QTest::newRow("ODIV not offered") << QStringList{"--clkin", "27", "--idiv", "1", "--fbdiv", "4", "--odiv", "6"} << "--odiv must be one of";
    QTest::newRow("IDIV 65") << QStringList{"--clkin", "27", "--idiv", "65", "--fbdiv", "4", "--odiv", "4"} << "--idiv";
    QTest::newRow("not a number") << QStringList{"--clkin", "abc", "--clkout", "100"} << "--clkin";
    QTest::newRow("infinite") << QStringList{"--clkin", "27", "--clkout", "inf"} << "--clkout";
    QTest::newRow("CLKIN above the device") << QStringList{"--device", "BRN-4LP", "--clkin", "250", "--bypass"} << "3~200";
    QTest::newRow("negative tolerance") << QStringList{"--clkin", "27", "--clkout", "100", "--tolerance", "-1"} << "--tolerance";
    QTest::newRow("unknown device") << QStringList{"--device", "XYZ", "--clkin", "27", "--bypass"} << "XYZ";
    QTest::newRow("CLKOUTD twice over") << QStringList{"--clkin", "27", "--bypass", "--clkoutd", "6", "--sdiv", "4"} << "--sdiv";
    QTest::newRow("SDIV 130") << QStringList{"--clkin", "27", "--bypass", "--sdiv", "130"} << "--sdiv";
    QTest::newRow("stray argument") << QStringList{"--clkin", "27", "--bypass", "42"} << "42";
}

void TstMirelCalc::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, complaint);

    const Run r = mirelCalc(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    const QString err = QString::fromUtf8(r.err);
    QCOMPARE(err.count('\n'), 1);
    QVERIFY2(err.contains(complaint), qPrintable(err));
}

void TstMirelCalc::plainOutput()
{
    const Run r = mirelCalc({"--clkin", "25", "--clkout", "33.3", "--tolerance", "0.2", "--clkoutd", "8.3", "--clkoutd-tolerance", "0.5"});
    QCOMPARE(r.exitCode, 0);
    const QString out = QString::fromUtf8(r.out);
    for (const char *line : {"IDIV     3\n", "FBDIV    4\n", "ODIV     16\n", "SDIV     4\n", "PFD      8.333 MHz\n",
                             "VCO      533.333 MHz\n", "CLKOUT   33.333 MHz  (+1001.0 ppm)\n", "CLKOUTD  8.333 MHz  (+4016.1 ppm)\n"})
        QVERIFY2(out.contains(QLatin1String(line)), qPrintable(out));
}

QTEST_GUILESS_MAIN(TstMirelCalc)
#include "tst_mirelcalc.moc"
