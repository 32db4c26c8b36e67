// SPDX-License-Identifier: MIT
// mirel-calc: the dividers of the MIREL PLL for wanted frequencies, without the dialog.

#include <alternatives.h>
#include <clkoutdsearch.h>
#include <clkoutsearch.h>
#include <rangelabels.h>

#include <devicetable.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <optional>

using namespace ModMirel::Calc;

namespace {

enum ExitCode { ExitOk = 0, ExitSearchFailed = 1, ExitUsage = 2 };

constexpr int kDefaultAlternatives = 5;
constexpr int kMaxAlternatives = kDividerMax * kDividerMax;

// A usage problem, reported as one line.
struct UsageError
{
    QString text;
};

struct Request
{
    DEV::DeviceInfo device;
    ClkoutInput clkout;
    bool clkoutdEnabled = false;
    ClkoutdInput clkoutd;
    int alternatives = kDefaultAlternatives;
    bool json = false;
};

struct Outcome
{
    bool ok = false;
    std::optional<int> idiv, fbdiv, odiv, sdiv;
    std::optional<double> clkout, clkoutd, pfd, vco;
    std::optional<double> clkoutPpm, clkoutdPpm;
    std::optional<double> clkoutShown, clkoutdShown;  // what the dialog's result fields would show
    QStringList messages;                              // the batch form's lines, in order
    QVector<Alternative> alternatives;
};

class ArgReader
{
public:
    explicit ArgReader(const QCommandLineParser &parser) : parser(parser) {}

    bool isSet(const QCommandLineOption &o) const { return parser.isSet(o); }

    QString text(const QCommandLineOption &o) const
    {
        const QStringList values = parser.values(o);
        if (values.size() > 1)
            throw UsageError{QStringLiteral("%1 given more than once").arg(name(o))};
        return values.value(0);
    }

    double number(const QCommandLineOption &o) const
    {
        bool ok = false;
        const QString t = text(o);
        const double v = t.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            throw UsageError{QStringLiteral("%1 needs a finite number, not \"%2\"").arg(name(o), t)};
        return v;
    }

    // Refuses what the dialog's spin box could not hold; the message names the device's
    // real bounds as its labels print them, and a value equal to a printed bound passes.
    double frequency(const QCommandLineOption &o, double lo, double hi, const QString &low,
                     const QString &high, const QString &device) const
    {
        const double v = number(o);
        if (v < std::min(lo, low.toDouble()) || v > hi) {
            throw UsageError{QStringLiteral("%1 %2 is outside %3~%4 MHz for %5")
                                 .arg(name(o), text(o), low, high, device)};
        }
        return v;
    }

    double percent(const QCommandLineOption &o) const
    {
        const double v = number(o);
        if (v < 0.0)
            throw UsageError{QStringLiteral("%1 must not be negative").arg(name(o))};
        return v;
    }

    int integer(const QCommandLineOption &o, int lo, int hi) const
    {
        bool ok = false;
        const QString t = text(o);
        const int v = t.toInt(&ok);
        if (!ok || v < lo || v > hi)
            throw UsageError{QStringLiteral("%1 needs a whole number from %2 to %3, not \"%4\"")
                                 .arg(name(o)).arg(lo).arg(hi).arg(t)};
        return v;
    }

    static QString name(const QCommandLineOption &o) { return QStringLiteral("--") + o.names().constFirst(); }

private:
    const QCommandLineParser &parser;
};

QString odivList()
{
    QStringList values;
    for (int odiv : kOdivCandidates)
        values << QString::number(odiv);
    return values.join(QStringLiteral(", "));
}

Request parseRequest(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Finds the dividers of the MIREL PLL for a wanted CLKOUT (General Mode), or checks given\n"
        "dividers (Advanced Mode). Frequencies in MHz, tolerances in percent."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption device(QStringLiteral("device"), QStringLiteral("Device family or part id (default: the host's default device)."), QStringLiteral("NAME"));
    const QCommandLineOption clkin(QStringLiteral("clkin"), QStringLiteral("Input clock."), QStringLiteral("MHZ"));
    const QCommandLineOption clkout(QStringLiteral("clkout"), QStringLiteral("Wanted CLKOUT (General Mode)."), QStringLiteral("MHZ"));
    const QCommandLineOption tolerance(QStringLiteral("tolerance"), QStringLiteral("CLKOUT tolerance (default 0.0)."), QStringLiteral("PCT"));
    const QCommandLineOption idiv(QStringLiteral("idiv"), QStringLiteral("Input divider 1-64 (Advanced Mode)."), QStringLiteral("N"));
    const QCommandLineOption fbdiv(QStringLiteral("fbdiv"), QStringLiteral("Feedback divider 1-64 (Advanced Mode)."), QStringLiteral("N"));
    const QCommandLineOption odiv(QStringLiteral("odiv"), QStringLiteral("VCO divider, one of %1 (Advanced Mode).").arg(odivList()), QStringLiteral("N"));
    const QCommandLineOption bypass(QStringLiteral("bypass"), QStringLiteral("General Mode with CLKOUT bypassed: CLKOUT is CLKIN."));
    const QCommandLineOption clkoutd(QStringLiteral("clkoutd"), QStringLiteral("Wanted CLKOUTD; searches SDIV."), QStringLiteral("MHZ"));
    const QCommandLineOption clkoutdTolerance(QStringLiteral("clkoutd-tolerance"), QStringLiteral("CLKOUTD tolerance (default 0.0)."), QStringLiteral("PCT"));
    const QCommandLineOption sdiv(QStringLiteral("sdiv"), QStringLiteral("CLKOUTD divider, even 2-128."), QStringLiteral("N"));
    const QCommandLineOption alternatives(QStringLiteral("alternatives"), QStringLiteral("How many nearest achievable CLKOUTs to list when the wanted one cannot be made (default 5)."), QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print one JSON object."));
    parser.addOptions({device, clkin, clkout, tolerance, idiv, fbdiv, odiv, bypass, clkoutd,
                       clkoutdTolerance, sdiv, alternatives, json});

    if (!parser.parse(arguments))
        throw UsageError{parser.errorText()};
    if (parser.isSet(help))
        parser.showHelp(ExitOk);
    if (!parser.positionalArguments().isEmpty())
        throw UsageError{QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().constFirst())};

    const ArgReader args(parser);
    Request r;
    if (args.isSet(device)) {
        const DEV::DeviceInfo *info = DEV::DeviceTable::find(args.text(device));
        if (!info)
            throw UsageError{QStringLiteral("unknown device \"%1\"").arg(args.text(device))};
        r.device = *info;
    } else {
        r.device = DEV::DeviceTable::defaultDevice();
    }
    r.clkout.limits = pllLimitsFrom(r.device.pll);
    // The dialog's spin boxes bound the frequencies the same way.
    const RangeLabels ranges = rangeLabels(r.clkout.limits);

    const bool advanced = args.isSet(idiv) || args.isSet(fbdiv) || args.isSet(odiv);
    if (advanced && !(args.isSet(idiv) && args.isSet(fbdiv) && args.isSet(odiv)))
        throw UsageError{QStringLiteral("Advanced Mode needs all of --idiv, --fbdiv and --odiv")};
    if (advanced && args.isSet(clkout))
        throw UsageError{QStringLiteral("--clkout (General Mode) and --idiv/--fbdiv/--odiv (Advanced Mode) exclude each other")};
    if (advanced && args.isSet(bypass))
        throw UsageError{QStringLiteral("--bypass is a General Mode setting; it does not go with --idiv/--fbdiv/--odiv")};
    if (!advanced && !args.isSet(clkout) && !args.isSet(bypass))
        throw UsageError{QStringLiteral("give --clkout MHZ, or --bypass, or --idiv, --fbdiv and --odiv")};
    if (args.isSet(tolerance) && !args.isSet(clkout))
        throw UsageError{QStringLiteral("--tolerance needs --clkout")};
    if (args.isSet(clkoutd) && args.isSet(sdiv))
        throw UsageError{QStringLiteral("--clkoutd (search SDIV) and --sdiv (given SDIV) exclude each other")};
    if (args.isSet(clkoutdTolerance) && !args.isSet(clkoutd))
        throw UsageError{QStringLiteral("--clkoutd-tolerance needs --clkoutd")};
    if (!args.isSet(clkin))
        throw UsageError{QStringLiteral("--clkin MHZ is required")};

    r.clkout.clkin = args.frequency(clkin, ranges.clkinMin, ranges.clkinMax, QString::number(ranges.clkinMin),
                                    QString::number(ranges.clkinMax), r.device.device);
    r.clkout.generalMode = !advanced;
    r.clkout.clkoutNoBypass = !args.isSet(bypass);
    if (args.isSet(clkout))
        r.clkout.expected = args.frequency(clkout, ranges.clkoutMin, ranges.clkoutMax, ranges.clkoutLow,
                                           ranges.clkoutHigh, r.device.device);
    if (args.isSet(tolerance))
        r.clkout.tolerancePercent = args.percent(tolerance);
    if (advanced) {
        r.clkout.idiv = args.integer(idiv, kDividerMin, kDividerMax);
        r.clkout.fbdiv = args.integer(fbdiv, kDividerMin, kDividerMax);
        bool isNumber = false;
        r.clkout.odiv = args.text(odiv).toInt(&isNumber);
        if (!isNumber || std::find(kOdivCandidates.begin(), kOdivCandidates.end(), r.clkout.odiv) == kOdivCandidates.end())
            throw UsageError{QStringLiteral("--odiv must be one of %1, not \"%2\"").arg(odivList(), args.text(odiv))};
    }

    r.clkoutdEnabled = args.isSet(clkoutd) || args.isSet(sdiv);
    r.clkoutd.generalMode = args.isSet(clkoutd);
    if (args.isSet(clkoutd))
        r.clkoutd.expected = args.frequency(clkoutd, ranges.clkoutdMin, ranges.clkoutdMax, ranges.clkoutdLow,
                                            ranges.clkoutdHigh, r.device.device);
    if (args.isSet(clkoutdTolerance))
        r.clkoutd.tolerancePercent = args.percent(clkoutdTolerance);
    if (args.isSet(sdiv))  // odd values pass here; the even-number rule refuses them as a result
        r.clkoutd.sdiv = args.integer(sdiv, kSdivMin, kSdivMax);

    if (args.isSet(alternatives))
        r.alternatives = args.integer(alternatives, 0, kMaxAlternatives);
    r.json = args.isSet(json);
    return r;
}

double ppm(double actual, double expected)
{
    return (actual - expected) / expected * 1e6;
}

Outcome run(const Request &req)
{
    Outcome out;
    // Like generation, an odd SDIV stops everything before any search.
    if (req.clkoutdEnabled && !req.clkoutd.generalMode && !sdivIsEven(req.clkoutd.sdiv)) {
        out.messages << sdivNotEvenMessage().warningLine();
        return out;
    }

    const ClkoutInput &in = req.clkout;
    const ClkoutResult c = searchClkout(in);
    if (c.showsFrequency)
        out.clkoutShown = c.shownFrequency;
    if (c.vcoDiagnostic)
        QTextStream(stderr) << vcoDiagnosticText() << '\n';
    if (!c.ok) {
        out.messages << c.warningLine();
        if (c.searchCase == ClkoutCase::General)
            out.alternatives = nearestClkouts(in, req.alternatives);
        return out;
    }

    // Advanced Mode takes the user's dividers as they are.
    const bool fromSearch = c.setsDividers;
    out.idiv = fromSearch ? c.idiv : in.idiv;
    out.fbdiv = fromSearch ? c.fbdiv : in.fbdiv;
    out.odiv = fromSearch ? c.odiv : in.odiv;
    out.clkout = c.frequency;
    out.pfd = in.clkin / *out.idiv;
    out.vco = *out.odiv * c.frequency;
    if (c.searchCase == ClkoutCase::General)
        out.clkoutPpm = ppm(c.frequency, in.expected);
    out.ok = true;

    if (!req.clkoutdEnabled)
        return out;
    ClkoutdInput din = req.clkoutd;
    din.clkoutFrequency = c.frequency;
    const ClkoutdResult d = searchClkoutd(din);
    out.clkoutdShown = d.shownFrequency;
    if (!d.ok) {
        out.messages << d.warningLine();
        out.ok = false;
        return out;
    }
    out.sdiv = d.setsSdiv ? d.sdiv : din.sdiv;
    out.clkoutd = d.frequency;
    if (din.generalMode)
        out.clkoutdPpm = ppm(d.frequency, din.expected);
    return out;
}

template<typename T>
QJsonValue jsonValue(const std::optional<T> &v)
{
    return v ? QJsonValue(*v) : QJsonValue(QJsonValue::Null);
}

QByteArray toJson(const Request &req, const Outcome &out)
{
    QJsonArray alternatives;
    for (const Alternative &a : out.alternatives) {
        alternatives.append(QJsonObject{{QStringLiteral("clkout"), a.frequency},
                                        {QStringLiteral("idiv"), a.idiv},
                                        {QStringLiteral("fbdiv"), a.fbdiv},
                                        {QStringLiteral("odiv"), a.odiv}});
    }
    const QJsonObject o{
        {QStringLiteral("ok"), out.ok},
        {QStringLiteral("device"), req.device.id},
        {QStringLiteral("idiv"), jsonValue(out.idiv)},
        {QStringLiteral("fbdiv"), jsonValue(out.fbdiv)},
        {QStringLiteral("odiv"), jsonValue(out.odiv)},
        {QStringLiteral("sdiv"), jsonValue(out.sdiv)},
        {QStringLiteral("clkout"), jsonValue(out.clkout)},
        {QStringLiteral("clkoutd"), jsonValue(out.clkoutd)},
        {QStringLiteral("pfd"), jsonValue(out.pfd)},
        {QStringLiteral("vco"), jsonValue(out.vco)},
        {QStringLiteral("clkout_ppm"), jsonValue(out.clkoutPpm)},
        {QStringLiteral("clkoutd_ppm"), jsonValue(out.clkoutdPpm)},
        {QStringLiteral("clkout_shown"), jsonValue(out.clkoutShown)},
        {QStringLiteral("clkoutd_shown"), jsonValue(out.clkoutdShown)},
        {QStringLiteral("messages"), QJsonArray::fromStringList(out.messages)},
        {QStringLiteral("alternatives"), alternatives},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

QString mhz(const std::optional<double> &f)
{
    return f ? formatMHz(*f) + QStringLiteral(" MHz") : QStringLiteral("-");
}

QString signedPpm(double v)
{
    return (v >= 0.0 ? QStringLiteral("+") : QString()) + QString::number(v, 'f', 1) + QStringLiteral(" ppm");
}

void printPlain(QTextStream &s, const Request &req, const Outcome &out)
{
    const auto line = [&s](const char *key, const QString &value) {
        s << QString::fromLatin1(key).leftJustified(9) << value << '\n';
    };
    const auto number = [](const std::optional<int> &v) { return v ? QString::number(*v) : QStringLiteral("-"); };

    line("Device", QStringLiteral("%1 (%2)").arg(req.device.device, req.device.id));
    if (out.clkout) {
        line("IDIV", number(out.idiv));
        line("FBDIV", number(out.fbdiv));
        line("ODIV", number(out.odiv));
        line("SDIV", number(out.sdiv));
        line("PFD", mhz(out.pfd));
        line("VCO", mhz(out.vco));
        line("CLKOUT", mhz(out.clkout) + (out.clkoutPpm ? QStringLiteral("  (%1)").arg(signedPpm(*out.clkoutPpm)) : QString()));
        if (req.clkoutdEnabled)
            line("CLKOUTD", mhz(out.clkoutd) + (out.clkoutdPpm ? QStringLiteral("  (%1)").arg(signedPpm(*out.clkoutdPpm)) : QString()));
    }
    for (const QString &m : out.messages)
        s << m << '\n';
    if (!out.clkout && out.clkoutShown)
        line("CLKOUT", QStringLiteral("%1 MHz (closest, rejected)").arg(formatMHz(*out.clkoutShown)));
    if (out.clkout && !out.clkoutd && out.clkoutdShown)
        line("CLKOUTD", QStringLiteral("%1 MHz (closest, rejected)").arg(formatMHz(*out.clkoutdShown)));
    if (!out.alternatives.isEmpty()) {
        s << "Nearest achievable CLKOUT frequencies:\n";
        for (const Alternative &a : out.alternatives) {
            s << QStringLiteral("  %1 MHz  IDIV %2  FBDIV %3  ODIV %4  (%5)\n")
                     .arg(formatMHz(a.frequency).rightJustified(8))
                     .arg(a.idiv, 2)
                     .arg(a.fbdiv, 2)
                     .arg(a.odiv, 3)
                     .arg(signedPpm(ppm(a.frequency, req.clkout.expected)));
        }
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("mirel-calc"));

    Request req;
    try {
        req = parseRequest(QCoreApplication::arguments());
    } catch (const UsageError &e) {
        QTextStream(stderr) << "mirel-calc: " << e.text << " (see --help)\n";
        return ExitUsage;
    }

    const Outcome out = run(req);
    QTextStream s(stdout);
    if (req.json)
        s << toJson(req, out);
    else
        printPlain(s, req, out);
    return out.ok ? ExitOk : ExitSearchFailed;
}
