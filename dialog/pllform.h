// SPDX-License-Identifier: MIT
#pragma once

#include <pllsettings.h>

#include <memory>

class QLabel;
class QWidget;

namespace ModMirel {

namespace Calc {
struct RangeLabels;
}
namespace Ui {
class PllConfig;
}

// The "Options" page: owns the generated form, reads every setting it holds
// into the settings value, and shows what the searches and the device decide.
class PllForm
{
public:
    explicit PllForm(QWidget *page);
    ~PllForm();
    PllForm(const PllForm &) = delete;
    PllForm &operator=(const PllForm &) = delete;

    Ui::PllConfig *ui() const { return m_ui.get(); }

    // The controls' settings on top of `state`, which brings the flags, the
    // dividers and the frame's language.
    PllSettings read(const PllSettings &state) const;

    // A General Mode search's dividers into the static controls; returns the ODIV
    // the static list then holds, the fallback where it offers no such item.
    int showStaticDividers(int idiv, int fbdiv, int odiv);
    void showClkoutFrequency(double mhz, bool accepted);
    void showClkoutdResult(double mhz, bool accepted);
    void showSdiv(int sdiv);
    // The results area under Calculate; empty text hides it.
    void showResults(const QString &text);
    // Nothing of an earlier Calculate stays: the results area and both actual-frequency fields.
    void clearResults();
    void showRanges(const Calc::RangeLabels &labels);

private:
    std::unique_ptr<Ui::PllConfig> m_ui;
    QLabel *m_results = nullptr;
};

} // namespace ModMirel
