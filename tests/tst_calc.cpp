// SPDX-License-Identifier: MIT
// The frequency model and the divider searches as pure code.
#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <crystals.h>
#include <devices.h>
#include <jointsearch.h>
#include <rangelabels.h>

#include <devicetable.h>

#include <QtTest>

#include <random>

using namespace ModMirel::Calc;

Q_DECLARE_METATYPE(PllLimits)
Q_DECLARE_METATYPE(ClkoutInput)

namespace {

QString text(const std::string &core)
{
    return QString::fromStdString(core);
}

// A result field as the dialog shows it: the text and its colour.
QString field(double mhz, bool accepted)
{
    return text(formatMHz(mhz)) + (accepted ? " color:gray" : " color:red");
}

// The default device's limits, or narrower ones.
PllLimits limits(qint32 vcoMin = 400, qint32 vcoMax = 1200, float clkoutMin = 3.125f, qint32 clkinMax = 450)
{
    return PllLimits{3, clkinMax, vcoMin, vcoMax, 3.125f, clkoutMin, 450.0f};
}

ClkoutInput general(const PllLimits &l, double clkin, double expected, double tolerancePercent, bool bypassed = false)
{
    ClkoutInput in;
    in.limits = l;
    in.clkin = clkin;
    in.expected = expected;
    in.tolerancePercent = tolerancePercent;
    in.clkoutNoBypass = !bypassed;
    return in;
}

ClkoutInput advanced(const PllLimits &l, double clkin, int idiv, int fbdiv, int odiv)
{
    ClkoutInput in = general(l, clkin, 0.0, 0.0);
    in.generalMode = false;
    in.idiv = idiv, in.fbdiv = fbdiv, in.odiv = odiv;
    return in;
}

// Everything a search result tells the dialog, as one line.
QString describe(const ClkoutResult &r)
{
    QStringList parts{r.ok ? "ok" : "fails"};
    if (r.setsDividers)
        parts << QStringLiteral("%1 %2 %3").arg(r.idiv).arg(r.fbdiv).arg(r.odiv)
                         + (r.setsIdivFbdivSel ? "" : " without sel");
    parts << (r.showsFrequency ? field(r.shownFrequency, r.accepted) : "field kept");
    if (r.vcoDiagnostic)
        parts << "diagnostic";
    if (r.hasMessage())
        parts << text(r.message());
    return parts.join(", ");
}

// The General Mode loop written the plain way: every pair, every test in place. With
// runnable false it also admits pairs the device cannot run.
Record plainSearch(const ClkoutInput &in, bool runnable)
{
    Record best, closest;
    for (int fbdiv = 1; fbdiv <= 64; ++fbdiv) {
        for (int idiv = 1; idiv <= 64; ++idiv) {
            const double pfd = in.clkin / idiv, f = (double(fbdiv) / idiv) * in.clkin;
            const int odiv = f > in.limits.clkoutMax ? 0 : smallestLegalOdiv(f, in.limits);
            if (pfd < in.limits.clkinMin || pfd > in.limits.clkinMax || (runnable && odiv == 0))
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
    void ceil3AndTolerance();
    void clkoutSearch_data();
    void clkoutSearch();
    void generalSearchMatchesPlainLoop();
    void clkoutdSearch_data();
    void clkoutdSearch();
    void rangeLabels();
    void alternatives();
    void profilesAndCrystals();
    void jointSearch_data();
    void jointSearch();
    void deviceTablesAgree();
};

void TstCalc::ceil3AndTolerance()
{
    // The single-precision steps are part of the contract: the bound is 3.001f, not 3.001.
    QVERIFY(ceil3(3.0001f) == double(3.001f) && ceil3(3.90625f) == double(3.907f));
    QVERIFY(ceil3(3.0f) == 3.0 && ceil3(3.125f) == 3.125);
    QCOMPARE(text(formatMHz(ceil3(3.0001f))), QString("3.001"));
    // Exactly the tolerance, and 1e-7 beyond it, are inside.
    QVERIFY(withinTolerance(0.005, 0.005) && withinTolerance(0.005 + 1e-7, 0.005) && withinTolerance(1e-7, 0.0));
    QVERIFY(!withinTolerance(std::nextafter(0.005 + 1e-7, 1.0), 0.005) && !withinTolerance(2e-7, 0.0));
}

void TstCalc::clkoutSearch_data()
{
    QTest::addColumn<ClkoutInput>("input");
    QTest::addColumn<QString>("outcome");
    const PllLimits d = limits();
    // VCO 400..410: only CLKOUTs near 100-102.5, 200-205, 50-51.25, ... have a legal ODIV.
    const PllLimits narrow = limits(400, 410), noOdiv = limits(401, 401);
    const QString fails
            = "fails, %1 color:red, The Expected Frequency of CLKOUT cannot be generated. Try to change the "
              "Expected Frequency or Tolerance(%)";
    const QString recommend = ", The divide factor of CLKOUT is illegal, the recommand value is %1.";
    const QString illegal = "fails, %1 color:red, The value of divide factor for CLKIN and CLKFB is illegal";
    const QString pfd = "fails, field kept, The value of CLKIN frequency divided by Divide Factor must be in the range "
                        "of %1 ~ %2.";
    QTest::newRow("27->100 at 0.5%") << general(d, 27, 100, 0.5) << "ok, 7 26 4, 100.286 color:gray";
    QTest::newRow("27->100 at 0.0% shows closest in red") << general(d, 27, 100, 0.0) << fails.arg("100.286");
    QTest::newRow("equal error keeps FBDIV 4, IDIV 3") << general(d, 25, 33.3, 0.2) << "ok, 3 4 16, 33.333 color:gray";
    // Equal errors either side of the target: the lower FBDIV in a row, the lower IDIV for one FBDIV.
    QTest::newRow("4 and 8 around 6: FBDIV 1") << general(d, 4, 6, 50) << "ok, 1 1 112, 4.000 color:gray";
    QTest::newRow("6 and 3 around 4.5: IDIV 1") << general(limits(300), 6, 4.5, 50) << "ok, 1 1 64, 6.000 color:gray";
    QTest::newRow("PFD equal to clkinMin") << general(d, 27, 102, 0.0) << "ok, 9 34 4, 102.000 color:gray";
    QTest::newRow("PFD equal to clkinMax") << general(d, 450, 450, 0.0) << "ok, 1 1 2, 450.000 color:gray";
    QTest::newRow("VCO equal to vcoMax") << general(narrow, 41, 102.5, 0.0) << "ok, 2 5 4, 102.500 color:gray";
    QTest::newRow("above clkoutMax: closest at the maximum") << general(d, 100, 600, 2.0) << fails.arg("450.000");
    QTest::newRow("CLKIN below every PFD shows 0.000") << general(d, 2, 100, 2.0) << fails.arg("0.000");
    // A pair whose frequency has no legal ODIV is not admissible.
    QTest::newRow("nearest pair has no ODIV: next pair")
            << general(narrow, 27, 102.6, 1.0) << "ok, 9 34 4, 102.000 color:gray";
    QTest::newRow("no admissible pair within tolerance") << general(narrow, 27, 102.6, 0.5) << fails.arg("102.000");
    QTest::newRow("no pair has an ODIV: 0.000") << general(noOdiv, 27, 100, 0.5) << fails.arg("0.000");
    // Bypassed: CLKOUT is CLKIN, with the smallest ODIV that keeps the VCO in its window.
    QTest::newRow("bypassed 27: ODIV 16, not 32")
            << general(d, 27, 999, 0, true) << "ok, 1 1 16 without sel, 27.000 color:gray";
    QTest::newRow("bypassed 200: VCO equal to vcoMin")
            << general(d, 200, 999, 0, true) << "ok, 1 1 2 without sel, 200.000 color:gray";
    QTest::newRow("bypassed, no legal ODIV: 2 and the diagnostic")
            << general(noOdiv, 27, 999, 0, true) << "ok, 1 1 2 without sel, 27.000 color:gray, diagnostic";
    // Advanced Mode checks the user's dividers and sets none.
    QTest::newRow("VCO too slow: recommends 4")
            << advanced(d, 27, 1, 4, 2) << "fails, 108.000 color:gray" + recommend.arg(4);
    QTest::newRow("legal dividers") << advanced(d, 27, 1, 4, 4) << "ok, 108.000 color:gray";
    QTest::newRow("VCO equal to vcoMin and vcoMax") << advanced(d, 300, 1, 1, 4) << "ok, 300.000 color:gray";
    QTest::newRow("advanced PFD equal to clkinMin") << advanced(d, 27, 9, 34, 4) << "ok, 102.000 color:gray";
    QTest::newRow("PFD below window") << advanced(d, 27, 10, 4, 4) << pfd.arg(3).arg(450);
    QTest::newRow("PFD above window") << advanced(limits(400, 900, 3.0f, 200), 250, 1, 2, 2) << pfd.arg(3).arg(200);
    QTest::newRow("CLKOUT equal to bound") << advanced(d, 25, 8, 1, 128) << "ok, 3.125 color:gray";
    QTest::newRow("CLKOUT below 3.001") << advanced(limits(400, 1200, 3.0001f), 27, 9, 1, 128) << illegal.arg("3.000");
    QTest::newRow("no ODIV legal, user's 2") << advanced(limits(400, 1200, 3.0f), 27, 9, 1, 2) << illegal.arg("3.000");
    QTest::newRow("above clkoutMax, VCO in window") << advanced(d, 100, 1, 5, 2) << illegal.arg("500.000");
    QTest::newRow("VCO of 12800") << advanced(d, 100, 1, 64, 2) << illegal.arg("6400.000");
}

void TstCalc::clkoutSearch()
{
    QFETCH(ClkoutInput, input);
    QFETCH(QString, outcome);
    const ClkoutResult r = searchClkout(input);
    QCOMPARE(describe(r), outcome);
    QCOMPARE(r.frequency, r.ok ? r.shownFrequency : -1.0);
    QCOMPARE(text(r.warningLine()), r.hasMessage() ? "WARNING: " + text(r.message()) : QString());
}

// The search visits a few pairs per IDIV row; over a sweep and random targets on every device (half of them
// halfway between two frequencies, where equal errors decide) it must agree with the plain loop, and where
// the loop over any pair chose one with a legal ODIV the choice must not have moved.
void TstCalc::generalSearchMatchesPlainLoop()
{
    std::vector<ClkoutInput> inputs;
    std::vector<PllLimits> all{limits(), limits(400, 410), limits(400, 900, 3.0f, 200)};
    for (const Device &d : devices())
        all.push_back(d.pll);
    std::mt19937 random(20);
    const auto pick = [&random](int lo, int hi) {
        return std::uniform_int_distribution<>(lo, hi)(random);
    };
    for (const PllLimits &l : all) {
        for (double clkin : {10.0, 27.0, 33.333, 50.0, 125.0, 250.0}) // 250: the IDIVs start above 1
            for (double expected : {3.2, 7.77, 25.0, 48.0, 100.0, 102.6, 133.3, 250.0, 333.0, 450.0, 899.0})
                for (double tolerance : {0.0, 0.2, 0.5, 2.0})
                    inputs.push_back(general(l, clkin, expected, tolerance));
        for (int i = 0; i < 400; ++i) {
            const double clkin = pick(1, l.clkinMax), halfway = clkin * (2 * pick(1, 64) + 1) / (2 * pick(1, 64));
            inputs.push_back(general(l, clkin, i % 2 ? halfway : pick(1000, int(2000 * l.clkoutMax)) / 1000.0, i % 3));
        }
    }
    // Windows open to 0: neighbouring frequencies so small that they round to one error.
    inputs.push_back(general(PllLimits{0, 450, 0, 1200, 0.0f, 0.0f, 450.0f}, 1e-17, 3.2, 0));
    int refusedPairs = 0;
    for (const ClkoutInput &in : inputs) {
        const ClkoutResult r = searchClkout(in);
        const Record runnable = plainSearch(in, true), anyPair = plainSearch(in, false);
        const QByteArray where = QByteArray::number(in.clkin, 'g', 17) + "->" + QByteArray::number(in.expected, 'g', 17)
                                 + " at " + QByteArray::number(in.tolerancePercent) + ", VCO max "
                                 + QByteArray::number(in.limits.vcoMax);
        QVERIFY2(r.ok == !runnable.isEmpty() && r.shownFrequency == runnable.frequency, where);
        QVERIFY2(!r.ok || (r.idiv == runnable.idiv && r.fbdiv == runnable.fbdiv && r.odiv == runnable.odiv), where);
        if (!anyPair.isEmpty() && anyPair.odiv != 0)
            QVERIFY2(r.ok && r.idiv == anyPair.idiv && r.fbdiv == anyPair.fbdiv, where);
        else if (!anyPair.isEmpty())
            ++refusedPairs;
    }
    QVERIFY(refusedPairs > 0);
}

void TstCalc::clkoutdSearch_data()
{
    QTest::addColumn<QVariantList>("input"); // General Mode, expected, tolerance, user's SDIV; CLKOUT is 100
    QTest::addColumn<QString>("outcome");
    const QString fails
            = "fails, %1 color:red, The Expected Frequency of CLKOUTD cannot be generated. Try to change the "
              "Expected Frequency or Tolerance(%)";
    QTest::newRow("100->25 at 0.0%") << QVariantList{true, 25.0, 0.0, 0} << "ok, SDIV 4, 25.000 color:gray";
    QTest::newRow("100->30 at 2.0% fails") << QVariantList{true, 30.0, 2.0, 0} << fails.arg("25.000");
    QTest::newRow("100->37.5 equal errors keep SDIV 2") << QVariantList{true, 37.5, 2.0, 0} << fails.arg("50.000");
    QTest::newRow("error equal to tolerance") << QVariantList{true, 40.0, 25.0, 0} << "ok, SDIV 2, 50.000 color:gray";
    QTest::newRow("error just beyond tolerance") << QVariantList{true, 40.0, 24.9999, 0} << fails.arg("50.000");
    QTest::newRow("Advanced: odd SDIV computed") << QVariantList{false, 0.0, 0.0, 3} << "ok, 33.333 color:gray";
}

void TstCalc::clkoutdSearch()
{
    QFETCH(QVariantList, input);
    QFETCH(QString, outcome);
    const ClkoutdResult r = searchClkoutd(
            ClkoutdInput{input[0].toBool(), 100.0, input[1].toDouble(), input[2].toDouble(), input[3].toInt()});
    QStringList parts{r.ok ? "ok" : "fails"};
    if (r.setsSdiv)
        parts << QStringLiteral("SDIV %1").arg(r.sdiv);
    parts << field(r.shownFrequency, r.accepted);
    if (r.hasMessage())
        parts << text(r.message());
    QCOMPARE(parts.join(", "), outcome);
    QCOMPARE(r.frequency, r.ok ? r.shownFrequency : -1.0);
}

// The label texts and spin-box ranges of a device; the dialog tests check the default device's.
void TstCalc::rangeLabels()
{
    // The minimum rounded up to what the label shows, and the ranges the spin boxes take.
    const RangeLabels r = ModMirel::Calc::rangeLabels(PllLimits{3, 200, 400, 900, 2.5f, 3.0001f, 300.0f});
    QCOMPARE(QStringList({text(r.clkinLabel()), text(r.clkoutLabel()), text(r.clkoutdLabel())}),
             QStringList({"Clock Frequency (3~200):", "Expected Frequency (3.001~300):",
                          "Expected Frequency (0.023~150.000):"}));
    QCOMPARE(QList<double>(
                     {double(r.clkinMin), double(r.clkinMax), r.clkoutMin, r.clkoutMax, r.clkoutdMin, r.clkoutdMax}),
             QList<double>({3.0, 200.0, double(3.001f), 600.0, double(3.001f) / 128, 300.0}));
}

// Nearest first, one entry per frequency, pairs without a legal ODIV left out.
void TstCalc::alternatives()
{
    QStringList got;
    for (const Alternative &a : nearestClkouts(general(limits(400, 410), 27.0, 102.6, 0.0), 4))
        got << QStringLiteral("%1 %2 %3 %4").arg(text(formatMHz(a.frequency))).arg(a.idiv).arg(a.fbdiv).arg(a.odiv);
    QCOMPARE(got, QStringList({"102.000 9 34 4", "101.250 4 15 4", "100.286 7 26 4", "51.000 9 17 8"}));
}

// Each profile is the plain search's answer, on every device; CLKOUTD comes from one SDIV for all, or
// each profile wanting one is named; an impossible profile is named with its closest values. The
// crystals that make a CLKOUT exactly rank first.
void TstCalc::profilesAndCrystals()
{
    for (const Device &device : devices()) {
        ProfileSetInput in{device.pll, 27.0, {{74.25, 0}, {148.5, 0, 74.25}, {108, 0}, {100, 0.5}}, 5};
        const ProfileSet set = searchProfiles(in);
        QVERIFY2(set.ok && set.sdiv == 2 && set.messages.empty(), device.id.c_str());
        for (std::size_t i = 0; i < in.profiles.size(); ++i) {
            const ClkoutResult &c = set.profiles[i].clkout,
                               plain = searchClkout(general(device.pll, 27.0, in.profiles[i].clkout,
                                                            in.profiles[i].tolerancePercent));
            QCOMPARE(describe(c), describe(plain));
            QCOMPARE(*set.profiles[i].clkoutd, c.frequency / 2);
        }
    }
    ProfileSetInput in{limits(), 27.0, {{74.25, 0, 37.125}, {148.5, 0.5, 37.125, 0.5}}, 2};
    QCOMPARE(searchProfiles(in).messages.size(), std::size_t(3)); // SDIV 2 for the first, 4 for the second
    in.profiles.push_back({25.175, 0.5});
    const ProfileSet refused = searchProfiles(in);
    QVERIFY(!refused.ok && refused.sdiv == 0);
    QCOMPARE(text(refused.messages.at(0)), QString("WARNING: Profile 2 (CLKOUT 25.175 MHz within 0.5 %) cannot be made "
                                                   "from CLKIN 27 MHz; the closest are 24.000 MHz (-46673.3 ppm), "
                                                   "23.625 MHz (-61569.0 ppm)."));

    in.profiles = {{25.175, 0}};
    const std::vector<ClkinCandidate> best = rankClkins(in, commonCrystals(), 5);
    QVERIFY(best.size() == 5 && best[0].clkin == 25.175 && best[0].ok && !best[1].ok);
    for (std::size_t i = 1; i < best.size(); ++i)
        QVERIFY(best[i - 1].error <= best[i].error);
    const std::vector<double> exact = exactClkins(in, 10.0, 30.0);
    QVERIFY(exact.size() > 10);
    for (const ClkinCandidate &c : rankClkins(in, exact, -1))
        QVERIFY2(c.ok && c.error < 1e-12 && c.clkin >= 10.0 && c.clkin <= 30.0, qPrintable(QString::number(c.clkin)));
}

// Where the plug-in's order (CLKOUT, then SDIV) refuses a divided output, the nearest CLKOUT
// within tolerance that serves them all; where it serves them, its own answer.
void TstCalc::jointSearch_data()
{
    QTest::addColumn<QVariantList>(
            "input"); // CLKIN, CLKOUT and tolerance, CLKOUTD and tolerance, CLKOUTD3 and tolerance
    QTest::addColumn<QString>("outcome");
    const auto row = [](const char *name, const QVariantList &input, const char *outcome) {
        QTest::newRow(name) << input << outcome;
    };
    row("CLKOUTD 0.7 % off: CLKOUT 1 % up", {27, 100, 2.0, 50.5, 0.5, 0, 0}, "changed, 4 15 4 SDIV 2, 101.250");
    row("first CLKOUT needs the odd SDIV 25", {27, 100, 2.0, 4, 2.0, 0, 0}, "changed, 9 34 4 SDIV 26, 102.000");
    row("CLKOUTD3 1 % off", {27, 100, 2.0, 0, 0, 33.75, 0.2}, "changed, 4 15 4, 101.250");
    row("both: CLKOUTD3 decides", {27, 100, 2.0, 25, 2.0, 33.75, 0.2}, "changed, 4 15 4 SDIV 4, 101.250");
    row("the plug-in's order serves all", {27, 100, 0.5, 25, 2.0, 0, 0}, "ok, 7 26 4 SDIV 4, 100.286");
    row("no CLKOUT within 2 % divides to 25", {125, 125, 2.0, 25, 0.0, 0, 0}, "refused");
    row("CLKOUT itself refused", {27, 100, 0.0, 25, 2.0, 0, 0}, "refused");
}

void TstCalc::jointSearch()
{
    QFETCH(QVariantList, input);
    QFETCH(QString, outcome);
    JointInput in;
    in.clkout = general(limits(), input[0].toDouble(), input[1].toDouble(), input[2].toDouble());
    if (input[3].toDouble() > 0)
        in.clkoutd = Want{input[3].toDouble(), input[4].toDouble()};
    if (input[5].toDouble() > 0)
        in.clkoutd3 = Want{input[5].toDouble(), input[6].toDouble()};
    const JointResult r = searchJoint(in);
    QCOMPARE(r.changed, r.ok && !r.plainOk);
    const QString sdiv = in.clkoutd ? QStringLiteral(" SDIV %1").arg(r.sdiv) : QString();
    QCOMPARE(!r.ok ? "refused"
                   : QStringLiteral("%1, %2 %3 %4%5, %6")
                             .arg(r.changed ? "changed" : "ok")
                             .arg(r.idiv)
                             .arg(r.fbdiv)
                             .arg(r.odiv)
                             .arg(sdiv, text(formatMHz(r.clkout))),
             outcome);
    if (r.ok && r.clkoutd3)
        QCOMPARE(*r.clkoutd3, r.clkout / 3);
}

// The host reads the device table with Qt, mirel-calc without: one file, the same records.
void TstCalc::deviceTablesAgree()
{
    const QList<DEV::DeviceInfo> &host = DEV::DeviceTable::devices();
    QCOMPARE(int(devices().size()), host.size());
    for (int i = 0; i < host.size(); ++i) {
        const Device &d = devices()[std::size_t(i)];
        const DEV::PllLimits &h = host[i].pll;
        QCOMPARE(QString::fromStdString(d.device), host[i].device);
        QCOMPARE(QString::fromStdString(d.id), host[i].id);
        QCOMPARE(QString::fromStdString(d.description), host[i].description);
        QVERIFY(d.pll.clkinMin == h.clkinMin && d.pll.clkinMax == h.clkinMax && d.pll.vcoMin == h.vcoMin
                && d.pll.vcoMax == h.vcoMax);
        QVERIFY(d.pll.clkoutMinAlt == h.clkoutMinAlt && d.pll.clkoutMin == h.clkoutMin
                && d.pll.clkoutMax == h.clkoutMax);
        QCOMPARE(findDevice(host[i].id.toLower().toStdString()), &d);
        QCOMPARE(findDevice(host[i].device.toStdString()), &d);
    }
    QVERIFY(!findDevice("AXL") && !findDevice(""));
}

QTEST_GUILESS_MAIN(TstCalc)
#include "tst_calc.moc"
