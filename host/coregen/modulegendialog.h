// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>
#include <pinfigure.h>

#include <QDialog>
#include <QList>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace IPCore {

class FigurePanel;
class ModuleOutput;

// The host's common frame of every IP-core dialog: label, module and file name,
// output directory and language, a tab area for the core's own pages, the port
// figure, and OK / Cancel / Help. A core derives from it and overrides the four
// operations that the host drives.
class ModuleGenDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ModuleGenDialog(QWidget *parent = nullptr);
    ~ModuleGenDialog() override;

    using QDialog::accept;
    using QObject::setProperty;

    // Applies a batch option map to the dialog; false with lines in messagelist when refused.
    virtual bool setProperty(QVariantMap cfgs, QStringList &messagelist);
    // Batch counterpart of OK.
    virtual bool accept(QStringList &messagelist);
    // Adapts the dialog to the limits of the current device.
    virtual void refreshDeviceInfo();
    // Applies a configuration file; false when the file is refused.
    virtual bool loadIPConfig(const QString &path);
    // Takes the device recorded in a configuration file ("target_device").
    virtual void setDevice(QSettings &settings);

    // A new module for the device, written into dir.
    void setCreating(const QString &dir, const DEV::DeviceArg &device);
    // Re-opens the configuration file `first`; `second` names the device, or is empty to
    // take the one recorded in the file. True only when loadIPConfig accepted the file.
    bool setOpening(const QString &first, const QString &second);

    void uiSetLabelText(const QString &text);
    void uiSetModuleName(const QString &name);
    void uiSetDefaultFileName(const QString &name);
    void uiSetFileName(const QString &name);
    void uiAddTab(QWidget *page, const QString &title);
    void uiSetFigurePins(const QList<Utils::PinFigure> &pins);
    int uiLanguageIndex() const;
    void uiSetLanguageIndex(int index);
    // The module's folder: path relative to the output directory given by
    // setCreating / setOpening, or that directory itself when path is empty.
    void setCreatPath(const QString &path);

    DEV::DeviceArg device() const;
    int fileType() const;
    QString createPath() const;
    QString fileName() const;
    QString moduleName() const;
    // From here to showErrorMsg: fileoptions.cpp.
    // The files the generator writes for these fields: the module, then its
    // instantiation template.
    QStringList moduleFiles() const;

    // Validation of the common fields. checkFileOptions lists one text per problem
    // (empty: valid); the others return true when the flow may go on, and either
    // tell the user (interactive) or append lines (batch).
    QStringList checkFileOptions() const;
    bool checkModuleName();
    bool checkModuleName(QStringList &messagelist);
    bool checkFileExisting();
    bool checkFileExisting(QStringList &messagelist);
    void showErrorMsg(const QStringList &errors);

    // What the frame shows, for the host program and its tests.
    QList<Utils::PinFigure> figurePins() const;
    QTabWidget *tabWidget() const { return m_tabs; }

    QString helpDoc;

protected:
    // The first show fits the dialog to its pages and orders the focus chain by what the user sees.
    void showEvent(QShowEvent *event) override;

signals:
    // The port figure was replaced (once per uiSetFigurePins call).
    void figurePinsChanged(const QList<Utils::PinFigure> &pins);

private:
    // Opens the module's files for writing; the problem when that is refused.
    QString openModuleOutput();
    void browseForDirectory();
    void showHelp();
    void updateDeviceText();
    void fitToPages();
    void orderFocusChain();

    DEV::DeviceArg m_device;
    QString m_baseDir; // the output directory the host gave; creation paths are inside it
    QLabel *m_label = nullptr;
    QLineEdit *m_moduleName = nullptr;
    QLineEdit *m_fileName = nullptr;
    QLineEdit *m_createPath = nullptr;
    QPushButton *m_browse = nullptr;
    QComboBox *m_language = nullptr;
    QLabel *m_deviceText = nullptr;
    bool m_shownOnce = false;
    QTabWidget *m_tabs = nullptr;
    FigurePanel *m_figure = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    // The module being written, from the existing-file check until it is generated.
    std::unique_ptr<ModuleOutput> m_output;
};

} // namespace IPCore
