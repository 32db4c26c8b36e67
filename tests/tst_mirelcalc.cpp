// SPDX-License-Identifier: MIT
// mirel-calc as a script runs it: JSON, plain output, exit statuses.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out, err;
};

Run mirelCalc(const QString &args)
{
    QProcess p;
    p.start(MIREL_CALC_PATH, args.split(' ', Qt::SkipEmptyParts));
    Run r;
    if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit)
        r = {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    return r;
}

// Numbers as the user sees them, "null" where not computed.
QString text(const QJsonObject &o, const QStringList &keys)
{
    QStringList values;
    for (const QString &key : keys)
        values << (o.value(key).isNull() ? QString("null") : QString::number(o.value(key).toDouble(), 'f', 3));
    return values.join(' ');
}

const QString illegal = "WARNING: The value of divide factor for CLKIN and CLKFB is illegal";
const QString cannot = "WARNING: The Expected Frequency of %1 cannot be generated. Try to change the Expected "
                       "Frequency or Tolerance(%)";

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
    void stream();
};

void TstMirelCalc::json_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("values"); // idiv fbdiv odiv sdiv clkout clkoutd
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("alternatives"); // the first's clkout idiv fbdiv odiv, then the count
    const QString none = "null null null null null null";
    QTest::newRow("27->100 at 0.5%") << "--clkin 27 --clkout 100 --tolerance 0.5" << 0
                                     << "7.000 26.000 4.000 null 100.286 null"
                                     << ""
                                     << "0";
    QTest::newRow("27->100 at 0.0% lists alternatives")
            << "--clkin 27 --clkout 100" << 1 << none << cannot.arg("CLKOUT") << "100.286 7.000 26.000 4.000 5";
    QTest::newRow("--alternatives 2") << "--clkin 27 --clkout 100 --alternatives 2" << 1 << none << cannot.arg("CLKOUT")
                                      << "100.286 7.000 26.000 4.000 2";
    QTest::newRow("Advanced, ODIV recommended")
            << "--clkin 27 --idiv 1 --fbdiv 4 --odiv 2" << 1 << none
            << "WARNING: The divide factor of CLKOUT is illegal, the recommand value is 4."
            << "0";
    QTest::newRow("Advanced with SDIV, key spellings")
            << "--clkin-freq 27 --clkin-divide 1 --clkfb-divide 4 --clkout-divider 4 --clkoutd-divide 6" << 0
            << "1.000 4.000 4.000 6.000 108.000 18.000"
            << ""
            << "0";
    QTest::newRow("bypassed with CLKOUTD search")
            << "--clkin 27 --bypass --clkoutd 6.75" << 0 << "1.000 1.000 16.000 4.000 27.000 6.750"
            << ""
            << "0";
    QTest::newRow("CLKOUTD fails, CLKOUT stays")
            << "--clkin 50 --clkout 100 --clkoutd 30 --clkoutd-tolerance 2" << 1
            << "1.000 2.000 4.000 null 100.000 null" << cannot.arg("CLKOUTD") << "0";
    QTest::newRow("600 above the maximum: nearest at most 450")
            << "--clkin 100 --clkout 600 --tolerance 2" << 1 << none << cannot.arg("CLKOUT")
            << "450.000 2.000 9.000 2.000 5";
    QTest::newRow("CLKOUTD at its printed bound")
            << "--clkin 27 --clkout 100 --tolerance 0.5 --clkoutd 0.024" << 1 << "7.000 26.000 4.000 null 100.286 null"
            << cannot.arg("CLKOUTD") << "0";
    for (const char *device : {"AXL-12", "AXL-25", "BRN-4LP"}) {
        QTest::addRow("%s: VCO of 12800", device)
                << QString("--device %1 --clkin 100 --idiv 1 --fbdiv 64 --odiv 2").arg(device) << 1 << none << illegal
                << "0";
        QTest::addRow("%s: 3 MHz, no legal ODIV", device)
                << QString("--device %1 --clkin 3 --idiv 1 --fbdiv 1 --odiv 2").arg(device) << 1 << none << illegal
                << "0";
    }
    QTest::newRow("odd SDIV refused") << "--clkin 27 --clkout 100 --tolerance 0.5 --sdiv 3" << 1 << none
                                      << "WARNING:The divide factor of CLKOUTD must be an even number."
                                      << "0";
}

void TstMirelCalc::json()
{
    QFETCH(QString, args);
    QFETCH(int, exitCode);
    QFETCH(QString, values);
    QFETCH(QString, message);
    QFETCH(QString, alternatives);
    const Run r = mirelCalc(args + " --json");
    QCOMPARE(r.exitCode, exitCode);
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(r.out, &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    for (const char *key :
         {"ok", "idiv", "fbdiv", "odiv", "sdiv", "clkout", "clkoutd", "pfd", "vco", "messages", "alternatives"})
        QVERIFY2(o.contains(key), key);
    QCOMPARE(o.value("ok").toBool(), exitCode == 0);
    QCOMPARE(text(o, {"idiv", "fbdiv", "odiv", "sdiv", "clkout", "clkoutd"}), values);
    QCOMPARE(o.value("pfd").isNull(), o.value("clkout").isNull());
    QCOMPARE(o.value("messages").toVariant().toStringList(), message.isEmpty() ? QStringList() : QStringList{message});
    const QJsonArray alts = o.value("alternatives").toArray();
    const QString first = alts.isEmpty() ? QString()
                                         : text(alts.first().toObject(), {"clkout", "idiv", "fbdiv", "odiv"}) + ' ';
    QCOMPARE(first + QString::number(alts.size()), alternatives);
}

void TstMirelCalc::usageErrors_data()
{
    QTest::addColumn<QString>("args");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("no --clkin") << "--clkout 100"
                                << "--clkin";
    QTest::newRow("both modes") << "--clkin 27 --clkout 100 --idiv 1 --fbdiv 4 --odiv 4"
                                << "exclude";
    QTest::newRow("ODIV not offered") << "--clkin 27 --idiv 1 --fbdiv 4 --odiv 6"
                                      << "--odiv must be one of";
    QTest::newRow("infinite") << "--clkin 27 --clkout inf"
                              << "--clkout";
    QTest::newRow("CLKIN above the device") << "--device BRN-4LP --clkin 250 --bypass"
                                            << "3~200";
    QTest::newRow("CLKOUTD below the printed bound") << "--clkin 27 --bypass --clkoutd 0.023"
                                                     << "0.024~225.000";
    QTest::newRow("CLKOUT above what the dialog takes") << "--clkin 27 --clkout 901"
                                                        << "3.125~450";
    QTest::newRow("unknown device") << "--device XYZ --clkin 27 --bypass"
                                    << "XYZ";
    QTest::newRow("stray argument") << "--clkin 27 --bypass 42"
                                    << "42";
}

void TstMirelCalc::usageErrors()
{
    QFETCH(QString, args);
    QFETCH(QString, complaint);
    const Run r = mirelCalc(args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(r.err.count('\n'), 1);
    QVERIFY2(r.err.contains(complaint.toUtf8()), r.err.constData());
}

void TstMirelCalc::plainOutput()
{
    const Run r = mirelCalc("--clkin 25 --clkout 33.3 --tolerance 0.2 --clkoutd 8.3 --clkoutd-tolerance 0.5");
    QCOMPARE(r.exitCode, 0);
    for (const char *line :
         {"IDIV     3\n", "FBDIV    4\n", "ODIV     16\n", "SDIV     4\n", "PFD      8.333 MHz\n",
          "VCO      533.333 MHz\n", "CLKOUT   33.333 MHz  (+1001.0 ppm)\n", "CLKOUTD  8.333 MHz  (+4016.1 ppm)\n"})
        QVERIFY2(r.out.contains(line), r.out.constData());
    // A refusal: the warning on standard error, what can be made on standard output.
    const Run refused = mirelCalc("--clkin 100 --clkout 600");
    QVERIFY(refused.exitCode == 1 && refused.err == cannot.arg("CLKOUT").toUtf8() + '\n');
    QVERIFY2(refused.out.contains("CLKOUT   450.000 MHz (closest, rejected)\n") && !refused.out.contains("WARNING"),
             refused.out.constData());
}

// One answer per request line, in order; a bad line is answered as bad and the stream goes on.
void TstMirelCalc::stream()
{
    QProcess p;
    p.start(MIREL_CALC_PATH, {"--jsonl"});
    p.write("{\"clkin\": 27, \"clkout\": 100, \"tolerance\": 0.5}\n{\"clkin\": 27,\n[1]\n\n"
            "{\"clkin\": \"27\", \"idiv\": 1, \"fbdiv\": 4, \"odiv\": 8, \"sdiv\": 6, \"device\": \"axl-25\"}\n"
            "{\"clkin\": 27, \"clkout\": 100, \"idiv\": 1}\n{\"clkin\": 27, \"clkout\": 100, \"tolerance\": \"0.5\", "
            "\"bogus\": 1}\n");
    p.write(QByteArray(70000, 'x') + "\n{\"clkin\": 100, \"clkout\": 600}\n");
    // Each answer comes before the next request is read: a script may wait for it.
    QVERIFY(p.waitForReadyRead(10000) && p.canReadLine());
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    QStringList got;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        if (!line.isEmpty())
            got << text(o, {"clkout", "clkoutd"}) + ' ' + o.value("device").toString() + ' '
                            + o.value("error").toString().left(12);
    }
    QCOMPARE(got, QStringList({"100.286 null AXL-12-QN88 ", "null null  not a JSON o", "null null  a request is",
                               "108.000 18.000 AXL-25-BG256 ", "null null  Advanced Mod", "null null  unknown name",
                               "null null  line longer ", "null null AXL-12-QN88 "}));
}

QTEST_GUILESS_MAIN(TstMirelCalc)
#include "tst_mirelcalc.moc"
