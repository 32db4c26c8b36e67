// SPDX-License-Identifier: MIT
#include "modulegendialog.h"

#include "figurepanel.h"
#include "moduleoutput.h"
#include "readingorder.h"

#include <devicetable.h>
#include <inputfile.h>

#include <QDebug>
#include <QDir>

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace IPCore {

namespace {
constexpr int LanguageVerilog = 0;
constexpr int LanguageVhdl = 1;

QLabel *addLabel(QWidget *owner, QGridLayout *grid, int row, int column, const QString &text)
{
    auto *label = new QLabel(text, owner);
    // Sets the second pair of fields apart from the first.
    label->setContentsMargins(column > 0 ? 12 : 0, 0, 0, 0);
    grid->addWidget(label, row, column);
    return label;
}

void addField(QWidget *owner, QGridLayout *grid, int row, int column, const QString &text, QWidget *field)
{
    addLabel(owner, grid, row, column, text)->setBuddy(field);
    grid->addWidget(field, row, column + 1);
}
} // namespace

ModuleGenDialog::ModuleGenDialog(QWidget *parent)
    : QDialog(parent)
{
    m_label = new QLabel(this);
    m_label->setWordWrap(true);
    QFont labelFont = m_label->font();
    labelFont.setBold(true);
    m_label->setFont(labelFont);
    m_label->hide();

    m_moduleName = new QLineEdit(this);
    m_moduleName->setObjectName(QStringLiteral("moduleNameEdit"));
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("fileNameEdit"));
    m_createPath = new QLineEdit(this);
    m_createPath->setObjectName(QStringLiteral("createPathEdit"));
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setObjectName(QStringLiteral("browseButton"));
    m_browse->setToolTip(tr("Choose the output directory"));
    // The button only needs room for its ellipsis.
    m_browse->setFixedWidth(m_browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
    m_language = new QComboBox(this);
    m_language->setObjectName(QStringLiteral("languageCombo"));
    m_language->insertItem(LanguageVerilog, QStringLiteral("Verilog"));
    m_language->insertItem(LanguageVhdl, QStringLiteral("VHDL"));
    m_language->setCurrentIndex(LanguageVerilog);

    m_deviceText = new QLabel(this);
    m_deviceText->setObjectName(QStringLiteral("deviceText"));
    m_deviceText->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *pathRow = new QHBoxLayout;
    pathRow->setContentsMargins(0, 0, 0, 0);
    pathRow->addWidget(m_createPath, 1);
    pathRow->addWidget(m_browse);

    // Two fields a row keep the form short, leaving the height to the core's pages.
    auto *form = new QGridLayout;
    form->setColumnStretch(1, 3);
    form->setColumnStretch(3, 2);
    addField(this, form, 0, 0, tr("Module Name:"), m_moduleName);
    addField(this, form, 0, 2, tr("File Name:"), m_fileName);
    addLabel(this, form, 1, 0, tr("Create In:"))->setBuddy(m_createPath);
    form->addLayout(pathRow, 1, 1);
    addField(this, form, 1, 2, tr("Language:"), m_language);
    addField(this, form, 2, 0, tr("Device:"), m_deviceText);

    m_tabs = new QTabWidget(this);

    auto *left = new QVBoxLayout;
    left->addLayout(form);
    left->addWidget(m_tabs, 1);

    m_figure = new FigurePanel(this);
    m_figure->setMinimumWidth(FigurePanel::Width);
    m_figure->setMaximumWidth(FigurePanel::Width);
    m_figure->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    auto *body = new QHBoxLayout;
    body->addLayout(left, 1);
    body->addWidget(m_figure);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);

    auto *top = new QVBoxLayout(this);
    top->addWidget(m_label);
    top->addLayout(body, 1);
    top->addWidget(m_buttons);

    connect(m_moduleName, &QLineEdit::textChanged, m_figure, &FigurePanel::setTitle);
    connect(m_browse, &QPushButton::clicked, this, &ModuleGenDialog::browseForDirectory);
    // QDialog::accept is virtual, so a core's override of it runs on OK.
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &ModuleGenDialog::showHelp);

    resize(1180, 840);
}

// A flow that ended before its module was generated leaves nothing behind: m_output discards.
ModuleGenDialog::~ModuleGenDialog() = default;

bool ModuleGenDialog::setProperty(QVariantMap cfgs, QStringList &messagelist)
{
    Q_UNUSED(cfgs)
    messagelist.append(QStringLiteral("ERROR: This IP core does not support batch options."));
    return false;
}

bool ModuleGenDialog::accept(QStringList &messagelist)
{
    messagelist.append(QStringLiteral("ERROR: This IP core does not support batch generation."));
    return false;
}

void ModuleGenDialog::refreshDeviceInfo() {}

bool ModuleGenDialog::loadIPConfig(const QString &path)
{
    Q_UNUSED(path)
    return false;
}

void ModuleGenDialog::setDevice(QSettings &settings)
{
    const QString recorded = settings.value(QStringLiteral("target_device")).toString().trimmed();
    const DEV::DeviceInfo *info = recorded.isEmpty() ? nullptr : DEV::DeviceTable::find(recorded);
    m_device = info ? info->arg() : DEV::DeviceTable::defaultDevice().arg();
    updateDeviceText();
}

void ModuleGenDialog::setCreating(const QString &dir, const DEV::DeviceArg &device)
{
    m_device = device;
    updateDeviceText();
    m_baseDir = dir;
    setCreatPath(QString());
    refreshDeviceInfo();
}

bool ModuleGenDialog::setOpening(const QString &first, const QString &second)
{
    // A FIFO or a device would never end a read, and a huge file would take long:
    // those are refused unread. A missing or unreadable file still goes to
    // loadIPConfig, which reports the refusal.
    const QString problem = FileIO::inputProblem(first);
    if (QFileInfo::exists(first) && !problem.isEmpty()) {
        qWarning().noquote() << problem;
        return false;
    }
    QSettings settings(first, QSettings::IniFormat);
    const QString deviceName = second.trimmed();
    if (deviceName.isEmpty()) {
        setDevice(settings);
    } else {
        const DEV::DeviceInfo *info = DEV::DeviceTable::find(deviceName);
        m_device = info ? info->arg() : DEV::DeviceTable::defaultDevice().arg();
        updateDeviceText();
    }

    const QFileInfo file(first);
    m_baseDir = file.absolutePath();
    setCreatPath(QString());
    const QString recordedFile = settings.value(QStringLiteral("file")).toString().trimmed();
    uiSetFileName(recordedFile.isEmpty() ? file.completeBaseName() : recordedFile);
    if (settings.contains(QStringLiteral("module")))
        uiSetModuleName(settings.value(QStringLiteral("module")).toString());

    refreshDeviceInfo();
    return loadIPConfig(first);
}

void ModuleGenDialog::uiSetLabelText(const QString &text)
{
    m_label->setText(text);
    // An empty label would only leave a gap above the form.
    m_label->setHidden(text.isEmpty());
    updateDeviceText();
}

void ModuleGenDialog::uiSetModuleName(const QString &name)
{
    m_moduleName->setText(name);
}

void ModuleGenDialog::uiSetDefaultFileName(const QString &name)
{
    if (m_fileName->text().trimmed().isEmpty())
        m_fileName->setText(name);
}

void ModuleGenDialog::uiSetFileName(const QString &name)
{
    m_fileName->setText(name);
}

void ModuleGenDialog::uiAddTab(QWidget *page, const QString &title)
{
    m_tabs->addTab(page, title);
}

void ModuleGenDialog::uiSetFigurePins(const QList<Utils::PinFigure> &pins)
{
    m_figure->setPins(pins);
    emit figurePinsChanged(pins);
}

int ModuleGenDialog::uiLanguageIndex() const
{
    return m_language->currentIndex();
}

void ModuleGenDialog::uiSetLanguageIndex(int index)
{
    // Any language value other than Verilog means VHDL.
    m_language->setCurrentIndex(index == LanguageVerilog ? LanguageVerilog : LanguageVhdl);
}

void ModuleGenDialog::setCreatPath(const QString &path)
{
    // A creation path names the module's own folder inside the output directory
    // the host chose; empty means the output directory itself.
    if (path.isEmpty() || m_baseDir.isEmpty())
        m_createPath->setText(path.isEmpty() ? m_baseDir : path);
    else
        m_createPath->setText(QDir(m_baseDir).filePath(path));
}

DEV::DeviceArg ModuleGenDialog::device() const
{
    return m_device;
}

int ModuleGenDialog::fileType() const
{
    return uiLanguageIndex();
}

QString ModuleGenDialog::createPath() const
{
    QString path = m_createPath->text().trimmed();
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

QString ModuleGenDialog::fileName() const
{
    return m_fileName->text().trimmed();
}

QString ModuleGenDialog::moduleName() const
{
    return m_moduleName->text().trimmed();
}

QList<Utils::PinFigure> ModuleGenDialog::figurePins() const
{
    return m_figure->pins();
}

void ModuleGenDialog::browseForDirectory()
{
    const QString dir = QFileDialog::getExistingDirectory(this, tr("Create In"), createPath());
    if (!dir.isEmpty()) {
        m_baseDir = dir;
        setCreatPath(QString());
    }
}

void ModuleGenDialog::showHelp()
{
    const QString text = helpDoc.trimmed().isEmpty() ? tr("No help is available for this IP core.") : helpDoc;
    QMessageBox::information(this, tr("Help"), text);
}

void ModuleGenDialog::updateDeviceText()
{
    // The part number says exactly which device the module is for.
    QString device = m_device.device();
    if (!m_device.id().isEmpty() && m_device.id() != device)
        device += QStringLiteral(" (%1)").arg(m_device.id());
    m_deviceText->setText(device);
    // The parts that show anything but blanks (space, tab, line and page breaks).
    QStringList title;
    for (const QString &part : {m_label->text(), device}) {
        if (std::any_of(part.begin(), part.end(), [](QChar c) { return !QStringLiteral(" \t\n\v\f\r").contains(c); }))
            title << part;
    }
    setWindowTitle(title.join(QStringLiteral(" \u2014 ")));
}

void ModuleGenDialog::showEvent(QShowEvent *event)
{
    if (!m_shownOnce) {
        m_shownOnce = true;
        fitToPages();
        orderFocusChain();
    }
    QDialog::showEvent(event);
}

void ModuleGenDialog::fitToPages()
{
    // No taller than the screen: a page scrolls vertically instead.
    if (const QScreen *screen = this->screen()) {
        const int frame = std::max(frameGeometry().height() - geometry().height(),
                                   style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
        resize(width(), std::min(height(), screen->availableGeometry().height() - frame));
    }
    // Wide enough that no page needs a horizontal scroll bar. Nested layouts settle
    // through posted requests, and a vertical bar may take room, so measure again.
    const auto areas = m_tabs->findChildren<QScrollArea *>();
    for (int attempt = 0; attempt < 4; ++attempt) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        int grow = 0;
        for (const QScrollArea *area : areas) {
            if (area->widget())
                grow = std::max(grow, area->widget()->sizeHint().width() - area->viewport()->width());
        }
        if (grow <= 0)
            return;
        resize(width() + grow, height());
    }
}

void ModuleGenDialog::orderFocusChain()
{
    QList<QWidget *> chain = {m_moduleName, m_fileName, m_createPath, m_browse, m_language, m_tabs->tabBar()};
    for (int i = 0; i < m_tabs->count(); ++i)
        chain << readingOrder(m_tabs->widget(i));
    QList<QAbstractButton *> buttons = m_buttons->buttons();
    std::sort(buttons.begin(), buttons.end(), [](const QWidget *a, const QWidget *b) { return a->x() < b->x(); });
    for (QAbstractButton *button : qAsConst(buttons))
        chain << button;
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

} // namespace IPCore
