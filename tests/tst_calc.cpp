// SPDX-License-Identifier: MIT
#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <rangelabels.h>

#include <QtTest>

using namespace ModMirel::Calc;

Q_DECLARE_METATYPE(PllLimits)

namespace {

const QString kClkoutFails = QStringLiteral(
    "The Expected Frequency of CLKOUT cannot be generated. Try to change the Expected Frequency or Tolerance(%)");
const QString kClkoutdFails = QStringLiteral(
    "The Expected Frequency of CLKOUTD cannot be generated. Try to change the Expected Frequency or Tolerance(%)");

// The default device's limits.
PllLimits limits(qint32 vcoMin = 400, qint32 vcoMax = 1200, float clkoutMin = 3.125f, qint32 clkinMax = 450)
{
    return PllLimits{3, clkinMax, vcoMin, vcoMax, 3.125f, clkoutMin, 450.0f};
}

ClkoutInput general(const PllLimits &l, double clkin, double expected, double tolerancePercent)
{
    ClkoutInput in;
    in.limits = l;
    in.clkin = clkin;
    in.expected = expected;
    in.tolerancePercent = tolerancePercent;
    return in;
}

// The General Mode loop written the plain way: every pair, every test in place.
// With mended false it leaves the VCO window out, as the search once did.
Record plainSearch(const ClkoutInput &in, bool mended)
{
    Record best, closest;
    for (int fbdiv = 1; fbdiv <= 64; ++fbdiv) {
        for (int idiv = 1; idiv <= 64; ++idiv) {
            const double pfd = in.clkin / idiv;
            if (pfd < in.limits.clkinMin || pfd > in.limits.clkinMax)
                continue;
            const double f = (double(fbdiv) / idiv) * in.clkin;
            const int odiv = smallestLegalOdiv(f, in.limits);
            if (mended && odiv == 0)
                continue;
            const double error = std::fabs(f - in.expected) / in.expected;
            Record &r = error <= in.tolerancePercent / 100.0 + 1e-7 ? best : closest;
            if (r.error < 0.0 || error < r.error)
                r = Record{error, f, fbdiv, idiv, odiv, 0};
        }
    }
    return best.isEmpty() ? Record{-1.0, closest.frequency, 0, 0, 0, 0} : best;
}

} // namespace

class TstCalc : public QObject
{
    Q_OBJECT

private slots:
    void ceil3Bound_data();
    void ceil3Bound();
    void tolerance_data();
    void tolerance();
    void generalSearch_data();
    void generalSearch();
    void generalSearchMatchesPlainLoop();
    void bypassed_data();
    void bypassed();
    void advanced_data();
    void advanced();
    void clkoutd_data();
    void clkoutd();
    void rangeLabels_data();
    void rangeLabels();
    void alternatives_data();
    void alternatives();
};

void TstCalc::ceil3Bound_data()
{
    QTest::addColumn<float>("bound");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("exact");

    QTest::newRow("3.0001 rounds up to 3.001") << 3.0001f << "3.001" << double(3.001f);
    QTest::newRow("whole kHz stays") << 3.0f << "3" << 3.0;
    QTest::newRow("3.125 stays") << 3.125f << "3.125" << 3.125;
    QTest::newRow("3.90625 rounds up") << 3.90625f << "3.907" << double(3.907f);
}

void TstCalc::ceil3Bound()
{
    QFETCH(float, bound);
    QFETCH(QString, shown);
    QFETCH(double, exact);
    QCOMPARE(QString::number(ceil3(bound), 'g', 7), shown);
    // The single-precision steps are part of the contract: the bound is 3.001f, not 3.001.
    QVERIFY(ceil3(bound) == exact);
}

void TstCalc::tolerance_data()
{
    QTest::addColumn<double>("error");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<bool>("within");

    QTest::newRow("error equal to tolerance") << 0.005 << 0.005 << true;
    QTest::newRow("tolerance + 1e-7") << 0.005 + 1e-7 << 0.005 << true;
    QTest::newRow("just beyond tolerance + 1e-7") << std::nextafter(0.005 + 1e-7, 1.0) << 0.005 << false;
    QTest::newRow("0.0 admits 1e-7") << 1e-7 << 0.0 << true;
    QTest::newRow("0.0 rejects 2e-7") << 2e-7 << 0.0 << false;
}

void TstCalc::tolerance()
{
    QFETCH(double, error);
    QFETCH(double, tolerance);
    QFETCH(bool, within);
    QCOMPARE(withinTolerance(error, tolerance), within);
}

void TstCalc::generalSearch_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<double>("clkin");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<int>("idiv");   // 0: the search fails
    QTest::addColumn<int>("fbdiv");
    QTest::addColumn<int>("odiv");
    QTest::addColumn<QString>("shown");

    const PllLimits d = limits();
    // VCO 400..410: only CLKOUTs near 100-102.5, 200-205, 50-51.25, ... have a legal ODIV.
    const PllLimits narrow = limits(400, 410);

    QTest::newRow("27->100 at 0.5%") << d << 27.0 << 100.0 << 0.5 << 7 << 26 << 4 << "100.286";
    QTest::newRow("27->100 at 0.0% shows closest") << d << 27.0 << 100.0 << 0.0 << 0 << 0 << 0 << "100.286";
    QTest::newRow("equal error keeps FBDIV 4, IDIV 3") << d << 25.0 << 33.3 << 0.2 << 3 << 4 << 16 << "33.333";
    QTest::newRow("first exact pair wins") << d << 50.0 << 100.0 << 0.0 << 1 << 2 << 4 << "100.000";
    QTest::newRow("smaller error later wins") << d << 27.0 << 100.0 << 2.0 << 7 << 26 << 4 << "100.286";
    QTest::newRow("PFD equal to clkinMin") << d << 27.0 << 102.0 << 0.0 << 9 << 34 << 4 << "102.000";
    QTest::newRow("PFD equal to clkinMax") << d << 450.0 << 450.0 << 0.0 << 1 << 1 << 2 << "450.000";
    QTest::newRow("VCO equal to vcoMax") << d << 50.0 << 600.0 << 0.0 << 1 << 12 << 2 << "600.000";
    QTest::newRow("CLKIN below every PFD shows 0.000") << d << 2.0 << 100.0 << 2.0 << 0 << 0 << 0 << "0.000";
    QTest::newRow("nearest pair has no ODIV: next pair") << narrow << 27.0 << 102.6 << 1.0 << 9 << 34 << 4 << "102.000";
    QTest::newRow("no admissible pair within tolerance") << narrow << 27.0 << 102.6 << 0.5 << 0 << 0 << 0 << "102.000";
    QTest::newRow("no pair has an ODIV: 0.000") << limits(401, 401) << 27.0 << 100.0 << 0.5 << 0 << 0 << 0 << "0.000";
}

void TstCalc::generalSearch()
{
    QFETCH(PllLimits, limits);
    QFETCH(double, clkin);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    QFETCH(int, idiv);
    QFETCH(int, fbdiv);
    QFETCH(int, odiv);
    QFETCH(QString, shown);

    const ClkoutResult r = searchClkout(general(limits, clkin, expected, tolerance));
    QVERIFY(r.showsFrequency);
    QCOMPARE(r.shownText(), shown);
    QCOMPARE(r.ok, idiv != 0);
    QCOMPARE(r.setsDividers, r.ok);
    QCOMPARE(r.setsIdivFbdivSel, r.ok);
    QCOMPARE(r.styleSheet(), r.ok ? QString("color:gray") : QString("color:red"));
    if (!r.ok) {
        QCOMPARE(r.frequency, -1.0);
        QCOMPARE(r.message(), kClkoutFails);
        QCOMPARE(r.warningLine(), "WARNING: " + kClkoutFails);
        return;
    }
    QCOMPARE(QList<int>({r.idiv, r.fbdiv, r.odiv}), QList<int>({idiv, fbdiv, odiv}));
    QCOMPARE(formatMHz(r.frequency), shown);
    QVERIFY(!r.hasMessage());
}

// The search skips work the plain loop does; over a sweep both must agree, and where
// the unmended loop chose a pair with a legal ODIV the choice must not have moved.
void TstCalc::generalSearchMatchesPlainLoop()
{
    int mendMattered = 0;
    for (const PllLimits &l : {limits(), limits(400, 410), limits(400, 900, 3.0f, 200)}) {
        for (double clkin : {10.0, 27.0, 33.333, 50.0, 125.0}) {
            for (double expected : {3.2, 7.77, 25.0, 48.0, 100.0, 102.6, 133.3, 250.0, 333.0, 450.0, 899.0}) {
                for (double tolerance : {0.0, 0.2, 0.5, 2.0}) {
                    const ClkoutInput in = general(l, clkin, expected, tolerance);
                    const ClkoutResult r = searchClkout(in);
                    const Record mended = plainSearch(in, true);
                    const Record unmended = plainSearch(in, false);
                    const QByteArray where = QByteArray::number(clkin) + "->" + QByteArray::number(expected)
                                             + " at " + QByteArray::number(tolerance) + ", VCO max "
                                             + QByteArray::number(l.vcoMax);
                    QVERIFY2(r.ok == !mended.isEmpty(), where);
                    QVERIFY2(r.shownFrequency == mended.frequency, where);
                    QVERIFY2(!r.ok || (r.idiv == mended.idiv && r.fbdiv == mended.fbdiv && r.odiv == mended.odiv), where);
                    if (!unmended.isEmpty() && unmended.odiv != 0)
                        QVERIFY2(r.ok && r.idiv == unmended.idiv && r.fbdiv == unmended.fbdiv, where);
                    else if (!unmended.isEmpty())
                        ++mendMattered;
                }
            }
        }
    }
    QVERIFY(mendMattered > 0);
}

void TstCalc::bypassed_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<double>("clkin");
    QTest::addColumn<int>("odiv");
    QTest::addColumn<bool>("diagnostic");

    QTest::newRow("27: ODIV 16, not 32") << limits() << 27.0 << 16 << false;
    QTest::newRow("200: VCO equal to vcoMin") << limits() << 200.0 << 2 << false;
    QTest::newRow("no legal ODIV: 2 and diagnostic") << limits(401, 401) << 27.0 << 2 << true;
}

void TstCalc::bypassed()
{
    QFETCH(PllLimits, limits);
    QFETCH(double, clkin);
    QFETCH(int, odiv);
    QFETCH(bool, diagnostic);

    ClkoutInput in = general(limits, clkin, 999.0, 0.0);
    in.clkoutNoBypass = false;
    const ClkoutResult r = searchClkout(in);
    QVERIFY(r.ok);
    QCOMPARE(r.frequency, clkin);
    QCOMPARE(r.shownText(), formatMHz(clkin));
    QCOMPARE(r.styleSheet(), QString("color:gray"));
    QVERIFY(r.setsDividers);
    QVERIFY(!r.setsIdivFbdivSel);
    QCOMPARE(QList<int>({r.idiv, r.fbdiv, r.odiv}), QList<int>({1, 1, odiv}));
    QCOMPARE(r.vcoDiagnostic, diagnostic);
    QVERIFY(!r.hasMessage());
}

void TstCalc::advanced_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<double>("clkin");
    QTest::addColumn<int>("idiv");
    QTest::addColumn<int>("fbdiv");
    QTest::addColumn<int>("odiv");
    QTest::addColumn<QString>("shown");   // empty: the field is left as it was
    QTest::addColumn<bool>("gray");
    QTest::addColumn<QString>("message"); // empty: success

    const PllLimits d = limits();
    const QString odivIllegal = QStringLiteral("The divide factor of CLKOUT is illegal, the recommand value is %1.");
    const QString belowMinimum = QStringLiteral("The value of divide factor for CLKIN and CLKFB is illegal");
    const QString pfd = QStringLiteral("The value of CLKIN frequency divided by Divide Factor must be in the range of %1 ~ %2.");

    QTest::newRow("VCO too slow: recommends 4") << d << 27.0 << 1 << 4 << 2 << "108.000" << true << odivIllegal.arg(4);
    QTest::newRow("legal dividers") << d << 27.0 << 1 << 4 << 4 << "108.000" << true << "";
    QTest::newRow("VCO too fast: recommends 4") << d << 40.0 << 1 << 4 << 8 << "160.000" << true << odivIllegal.arg(4);
    QTest::newRow("VCO equal to vcoMin and vcoMax") << d << 300.0 << 1 << 1 << 4 << "300.000" << true << "";
    QTest::newRow("PFD equal to clkinMin") << d << 27.0 << 9 << 34 << 4 << "102.000" << true << "";
    QTest::newRow("PFD equal to clkinMax") << d << 450.0 << 1 << 1 << 2 << "450.000" << true << "";
    QTest::newRow("PFD below window") << d << 27.0 << 10 << 4 << 4 << "" << false << pfd.arg(3).arg(450);
    QTest::newRow("PFD above window") << limits(400, 900, 3.0f, 200) << 250.0 << 1 << 2 << 2 << "" << false << pfd.arg(3).arg(200);
    QTest::newRow("CLKOUT equal to bound") << d << 25.0 << 8 << 1 << 128 << "3.125" << true << "";
    QTest::newRow("CLKOUT below 3.001") << limits(400, 1200, 3.0001f) << 27.0 << 9 << 1 << 128 << "3.000" << false << belowMinimum;
    QTest::newRow("no ODIV legal: 2 passes") << limits(400, 1200, 3.0f) << 27.0 << 9 << 1 << 2 << "3.000" << true << "";
    QTest::newRow("no ODIV legal: 8 gets 2") << limits(400, 1200, 3.0f) << 27.0 << 9 << 1 << 8 << "3.000" << true << odivIllegal.arg(2);
}

void TstCalc::advanced()
{
    QFETCH(PllLimits, limits);
    QFETCH(double, clkin);
    QFETCH(int, idiv);
    QFETCH(int, fbdiv);
    QFETCH(int, odiv);
    QFETCH(QString, shown);
    QFETCH(bool, gray);
    QFETCH(QString, message);

    ClkoutInput in = general(limits, clkin, 0.0, 0.0);
    in.generalMode = false;
    in.idiv = idiv;
    in.fbdiv = fbdiv;
    in.odiv = odiv;
    const ClkoutResult r = searchClkout(in);
    QCOMPARE(r.searchCase, ClkoutCase::Advanced);
    QVERIFY(!r.setsDividers);
    QCOMPARE(r.showsFrequency, !shown.isEmpty());
    if (r.showsFrequency) {
        QCOMPARE(r.shownText(), shown);
        QCOMPARE(r.accepted, gray);
    }
    QCOMPARE(r.message(), message);
    QCOMPARE(r.ok, message.isEmpty());
    if (r.ok)
        QCOMPARE(formatMHz(r.frequency), shown);
    else
        QCOMPARE(r.frequency, -1.0);
}

void TstCalc::clkoutd_data()
{
    QTest::addColumn<bool>("generalMode");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<int>("userSdiv");
    QTest::addColumn<int>("sdiv");   // 0: no SDIV stored
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("message");

    QTest::newRow("100->25 at 0.0%") << true << 25.0 << 0.0 << 0 << 4 << "25.000" << "";
    QTest::newRow("100->30 at 2.0% fails") << true << 30.0 << 2.0 << 0 << 0 << "25.000" << kClkoutdFails;
    QTest::newRow("equal errors keep SDIV 2") << true << 37.5 << 2.0 << 0 << 0 << "50.000" << kClkoutdFails;
    QTest::newRow("error equal to tolerance") << true << 40.0 << 25.0 << 0 << 2 << "50.000" << "";
    QTest::newRow("error just beyond tolerance") << true << 40.0 << 24.9999 << 0 << 0 << "50.000" << kClkoutdFails;
    QTest::newRow("Advanced: odd SDIV computed") << false << 0.0 << 0.0 << 3 << 0 << "33.333" << "";
}

void TstCalc::clkoutd()
{
    QFETCH(bool, generalMode);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    QFETCH(int, userSdiv);
    QFETCH(int, sdiv);
    QFETCH(QString, shown);
    QFETCH(QString, message);

    const ClkoutdResult r = searchClkoutd(ClkoutdInput{generalMode, 100.0, expected, tolerance, userSdiv});
    QCOMPARE(r.shownText(), shown);
    QCOMPARE(r.message(), message);
    QCOMPARE(r.ok, message.isEmpty());
    QCOMPARE(r.styleSheet(), r.ok ? QString("color:gray") : QString("color:red"));
    QCOMPARE(r.setsSdiv, sdiv != 0);
    QCOMPARE(r.sdiv, sdiv);
    if (!r.ok) {
        QCOMPARE(r.frequency, -1.0);
        QCOMPARE(r.warningLine(), "WARNING: " + message);
    }
}

void TstCalc::rangeLabels_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<QList<double>>("ranges"); // CLKOUT min, max, CLKOUTD min, max

    QTest::newRow("lower alternative bound")
        << PllLimits{3, 450, 400, 1200, 2.5f, 3.0f, 450.0f}
        << QStringList{"Clock Frequency (3~450):", "Expected Frequency (3~450):", "Expected Frequency (0.023~225.000):"}
        << QList<double>{3.0, 900.0, 0.0234375, 450.0};
    QTest::newRow("higher alternative bound")
        << PllLimits{3, 450, 400, 1200, 3.125f, 3.0f, 450.0f}
        << QStringList{"Clock Frequency (3~450):", "Expected Frequency (3.125~450):", "Expected Frequency (0.024~225.000):"}
        << QList<double>{3.125, 900.0, 3.125 / 128, 450.0};
    QTest::newRow("rounded bound 3.001")
        << PllLimits{3, 200, 400, 900, 2.5f, 3.0001f, 300.0f}
        << QStringList{"Clock Frequency (3~200):", "Expected Frequency (3.001~300):", "Expected Frequency (0.023~150.000):"}
        << QList<double>{double(3.001f), 600.0, double(3.001f) / 128, 300.0};
}

void TstCalc::rangeLabels()
{
    QFETCH(PllLimits, limits);
    QFETCH(QStringList, labels);
    QFETCH(QList<double>, ranges);

    const RangeLabels r = ModMirel::Calc::rangeLabels(limits);
    QCOMPARE(QStringList({r.clkinLabel, r.clkoutLabel, r.clkoutdLabel}), labels);
    QCOMPARE(QList<int>({r.clkinMin, r.clkinMax}), QList<int>({limits.clkinMin, limits.clkinMax}));
    QCOMPARE(QList<double>({r.clkoutMin, r.clkoutMax, r.clkoutdMin, r.clkoutdMax}), ranges);
}

void TstCalc::alternatives_data()
{
    QTest::addColumn<PllLimits>("limits");
    QTest::addColumn<double>("clkin");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QStringList>("nearest"); // "MHz IDIV FBDIV ODIV"

    QTest::newRow("27->100 nearest first")
        << limits() << 27.0 << 100.0
        << QStringList{"100.286 7 26 4", "99.000 3 11 8", "101.250 4 15 4", "102.000 9 34 4"};
    QTest::newRow("one entry per frequency")
        << limits() << 25.0 << 33.3 << QStringList{"33.333 3 4 16", "34.375 8 11 16", "32.143 7 9 16", "35.000 5 7 16"};
    QTest::newRow("pairs without a legal ODIV left out")
        << limits(400, 410) << 27.0 << 102.6 << QStringList{"102.000 9 34 4", "101.250 4 15 4", "100.286 7 26 4", "51.000 9 17 8"};
}

void TstCalc::alternatives()
{
    QFETCH(PllLimits, limits);
    QFETCH(double, clkin);
    QFETCH(double, expected);
    QFETCH(QStringList, nearest);

    QStringList got;
    for (const Alternative &a : nearestClkouts(general(limits, clkin, expected, 0.0), nearest.size()))
        got << QStringLiteral("%1 %2 %3 %4").arg(formatMHz(a.frequency)).arg(a.idiv).arg(a.fbdiv).arg(a.odiv);
    QCOMPARE(got, nearest);
}

QTEST_GUILESS_MAIN(TstCalc)
#include "tst_calc.moc"
