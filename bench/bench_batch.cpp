// SPDX-License-Identifier: MIT
// In-process batch creation of one module, as a script's host drives it:
// construct the core's dialog, apply the options, run the searches, write the
// .ipc file and generate the HDL files.
#include "mirel.h"
#include "mireldialog.h"

#include <devicetable.h>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

namespace {

struct Case
{
    const char *label;
    QVariantMap options;
};

const Case &caseAt(int index)
{
    static const Case cases[] = {
            {"general-27to100", {{"CLKIN_FREQ", "27"}, {"CLKOUT_FREQ", "100"}, {"CLKOUT_TOLERANCE", "0.5"}}},
            {"general-clkoutd-vhdl",
             {{"CLKIN_FREQ", "27"},
              {"CLKOUT_FREQ", "100"},
              {"CLKOUT_TOLERANCE", "0.5"},
              {"CLKOUTD", "true"},
              {"CLKOUTD_FREQ", "25"},
              {"CLKOUTD_TOLERANCE", "2.0"},
              {"LANG", "1"}}},
    };
    return cases[index];
}

bool initialized(ModMirel::MIREL &core, benchmark::State &state)
{
    if (core.initialize())
        return true;
    state.SkipWithError("the core's description could not be read");
    return false;
}

void createModuleBatch(benchmark::State &state)
{
    const Case &c = caseAt(int(state.range(0)));
    state.SetLabel(c.label);
    ModMirel::MIREL core(QStringLiteral(SOURCE_DIR "/plugin"));
    if (!initialized(core, state))
        return;
    const DEV::DeviceArg device = DEV::DeviceTable::defaultDevice().arg();
    QTemporaryDir dir;
    for (auto _ : state) {
        QVariantMap cfgs = c.options;
        cfgs.insert(QStringLiteral("dir"), dir.path());
        cfgs.insert(QStringLiteral("module"), QStringLiteral("pll1"));
        cfgs.insert(QStringLiteral("file"), QStringLiteral("pll_file"));
        QStringList messages;
        if (!core.createModuleBatch(cfgs, device, messages)) {
            state.SkipWithError(qPrintable(messages.join(QLatin1Char('\n'))));
            return;
        }
    }
}
BENCHMARK(createModuleBatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The share of the above that is only building the form's widgets.
void constructDialog(benchmark::State &state)
{
    ModMirel::MIREL core(QStringLiteral(SOURCE_DIR "/plugin"));
    if (!initialized(core, state))
        return;
    const QVariantMap info = core.info();
    const DEV::DeviceArg device = DEV::DeviceTable::defaultDevice().arg();
    QTemporaryDir dir;
    for (auto _ : state) {
        ModMirel::Mirel_Dialog dialog(info, nullptr);
        dialog.setCreating(dir.path(), device);
        benchmark::DoNotOptimize(&dialog);
    }
}
BENCHMARK(constructDialog)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As mirel-host runs its batch commands: the event loop that does not wake itself per posted event.
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
