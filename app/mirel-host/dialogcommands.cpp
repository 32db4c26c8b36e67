// SPDX-License-Identifier: MIT
#include "dialogcommands.h"

#include "commandline.h"
#include "optioncheck.h"

#include <devicetable.h>
#include <echo.h>
#include <inputfile.h>
#include <modulegendialog.h>
#include <stagedfiles.h>
#include <viewmanager.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLayout>
#include <QMessageBox>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <optional>

#include <sys/stat.h>

namespace DialogCommands {

using namespace HostCommandLine;

namespace {

// The chosen device, or an exit status when it is unknown or the core refuses it.
std::optional<int> chooseDevice(const QCommandLineParser &parser, PluginHost &host, DEV::DeviceArg *device)
{
    DEV::DeviceInfo info;
    if (auto status = findDevice(parser, &info))
        return status;
    if (auto status = checkSupported(host, info))
        return status;
    *device = info.arg();
    return std::nullopt;
}

// Puts VALUE into the control named KEY, through its own setters so that the
// dialog's rules run as if a user had clicked. A radio button given "false"
// checks its partner, as a user would.
bool applySetting(QWidget *dialog, const QString &name, const QString &value, QString *error)
{
    auto *widget = dialog->findChild<QWidget *>(name);
    if (!widget) {
        *error = QStringLiteral("the dialog has no control named '%1'").arg(Utils::echo(name));
        return false;
    }
    if (value != QLatin1String("true") && value != QLatin1String("false") && (qobject_cast<QAbstractButton *>(widget))) {
        *error = QStringLiteral("'%1' takes true or false, not '%2'").arg(name, Utils::echo(value));
        return false;
    }
    if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
        if (value == QLatin1String("true")) {
            radio->setChecked(true);
            return true;
        }
        const auto siblings = radio->parentWidget()->findChildren<QRadioButton *>(QString(), Qt::FindDirectChildrenOnly);
        for (QRadioButton *other : siblings) {
            if (other != radio) {
                other->setChecked(true);
                return true;
            }
        }
        *error = QStringLiteral("'%1' has no partner to check").arg(name);
        return false;
    }
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        button->setChecked(value == QLatin1String("true"));
        return true;
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        const int index = combo->findText(value, Qt::MatchExactly);
        if (index < 0) {
            *error = QStringLiteral("'%1' has no item '%2'").arg(name, Utils::echo(value));
            return false;
        }
        combo->setCurrentIndex(index);
        return true;
    }
    bool ok = false;
    if (auto *spin = qobject_cast<QSpinBox *>(widget)) {
        const int number = value.toInt(&ok);
        if (ok && number >= spin->minimum() && number <= spin->maximum()) {
            spin->setValue(number);
            return true;
        }
    } else if (auto *spin = qobject_cast<QDoubleSpinBox *>(widget)) {
        const double number = value.toDouble(&ok);
        if (ok && qIsFinite(number) && number >= spin->minimum() && number <= spin->maximum()) {
            spin->setValue(number);
            return true;
        }
    } else {
        *error = QStringLiteral("'%1' is not a setting").arg(name);
        return false;
    }
    *error = QStringLiteral("'%2' is not a legal value for '%1'").arg(name, Utils::echo(value));
    return false;
}

// Grows the dialog until no scroll area hides part of its page, so that a
// picture shows every control.
void showWholePages(QWidget *dialog)
{
    dialog->adjustSize();
    // The frame's layout may hand extra room to other panes, so grow in steps.
    for (int attempt = 0; attempt < 6; ++attempt) {
        // Let pending polish and layout requests settle, as they would before a user looks.
        QCoreApplication::processEvents();
        if (dialog->layout())
            dialog->layout()->activate();
        QSize grow(0, 0);
        const auto areas = dialog->findChildren<QScrollArea *>();
        for (QScrollArea *area : areas) {
            if (!area->widget() || !area->isVisible())
                continue;
            area->widget()->adjustSize();
            grow = grow.expandedTo(area->widget()->size() - area->viewport()->size());
        }
        if (grow.width() <= 0 && grow.height() <= 0)
            return;
        dialog->resize(dialog->size() + grow.expandedTo(QSize(0, 0)));
    }
}

// Why the picture cannot go to `path` before anything is rendered, or empty: like a
// module file it only replaces a regular file, never a link, a folder or a device.
QString pictureTargetProblem(const QString &path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QStringLiteral("\"%1\" is a link or not a regular file; it is not overwritten.")
                .arg(Utils::echo(QFileInfo(path).absoluteFilePath(), 120));
    return QString();
}

// Written as module files are: staged beside the target, flushed, renamed over it,
// so that a failed write leaves the old picture whole.
QString writePicture(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    FileIO::StagedFiles files;
    QString problem;
    if (files.open(target.absolutePath(), QString(), target.fileName(), &problem)
        && files.add(target.fileName(), bytes, &problem) && files.commit(&problem))
        return QString();
    return problem;
}

} // namespace

int gui(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(deviceOption());
    parser.addOption({QStringLiteral("dir"),
                      QStringLiteral("Output folder of a new module (default: the current folder)."),
                      QStringLiteral("DIR")});
    parser.addPositionalArgument(QStringLiteral("FILE.ipc"), QStringLiteral("Configuration to re-open."),
                                 QStringLiteral("[FILE.ipc]"));
    if (auto status = parse(parser, arguments, QStringLiteral("Opens the MIREL configuration dialog.")))
        return *status;
    if (parser.positionalArguments().size() > 1)
        return fail(UsageError, QStringLiteral("gui takes at most one configuration file"));
    if (auto status = requireDisplay())
        return *status;
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return *status;

    QWidget mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("mirel-host"));
    Core::ViewManager::setDialogParent(&mainWindow);

    const QString file = parser.positionalArguments().value(0);
    if (!file.isEmpty()) {
        if (!QFileInfo::exists(file))
            return fail(Refused, QStringLiteral("no configuration file '%1'").arg(Utils::echo(file)));
        if (const QString problem = FileIO::inputProblem(file); !problem.isEmpty())
            return fail(Refused, problem);
        if (auto status = settleModule(QFileInfo(file).absolutePath(), QFileInfo(file).completeBaseName()))
            return *status;
        if (!parser.isSet(QStringLiteral("device"))) {
            if (const QString problem = unknownDeviceProblem(file); !problem.isEmpty()) {
                QMessageBox::critical(&mainWindow, QStringLiteral("mirel-host"), problem);
                return fail(Refused, problem);
            }
        }
        host.core()->openModule(QFileInfo(file).absoluteFilePath(), parser.value(QStringLiteral("device")));
        return Done;
    }
    DEV::DeviceArg device;
    if (auto status = chooseDevice(parser, host, &device))
        return *status;
    const QString dir = parser.isSet(QStringLiteral("dir")) ? parser.value(QStringLiteral("dir")) : QDir::currentPath();
    host.core()->createModule(QDir(dir).absolutePath(), device);
    return Done;
}

int screenshot(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(deviceOption());
    parser.addPositionalArgument(QStringLiteral("OUT.png"), QStringLiteral("Picture to write."));
    parser.addPositionalArgument(QStringLiteral("NAME=VALUE"),
                                 QStringLiteral(
                                         "Settings applied before rendering: configuration keys (MODE_GENERAL=false) "
                                         "as batch options, other names as controls by object name."),
                                 QStringLiteral("[NAME=VALUE ...]"));
    if (auto status = parse(parser, arguments,
                            QStringLiteral("Renders the configuration dialog, as a user sees it, to a PNG.")))
        return *status;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty() || QFileInfo(positional.first()).fileName().isEmpty())
        return fail(UsageError, QStringLiteral("screenshot needs the name of the PNG to write"));
    if (const QString problem = pictureTargetProblem(positional.first()); !problem.isEmpty())
        return fail(Refused, problem);
    QList<QPair<QString, QString>> settings;
    for (const QString &setting : positional.mid(1)) {
        const int equals = setting.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return fail(UsageError, QStringLiteral("'%1' is not NAME=VALUE").arg(Utils::echo(setting)));
        settings.append({setting.left(equals), setting.mid(equals + 1)});
    }
    PluginHost host;
    if (auto status = loadCore(parser, host))
        return *status;
    DEV::DeviceArg device;
    if (auto status = chooseDevice(parser, host, &device))
        return *status;

    const QVariantMap known = host.core()->options();
    // The dialog runs modally inside createModule; a zero timer fires inside its event
    // loop, renders it and closes it. The output folder is scratch: nothing is generated.
    QTemporaryDir scratch;
    const QString outFile = positional.first();
    int status = Refused;
    QString error = QStringLiteral("the dialog did not open");
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        // Configuration keys go through the core's batch options, as a script's would;
        // other names are controls of the dialog, set by object name.
        QVariantMap options;
        for (const auto &setting : qAsConst(settings)) {
            if (!dialog->findChild<QWidget *>(setting.first) && setting.first == setting.first.toUpper()) {
                options.insert(setting.first, OptionCheck::fromText(setting.second, known.value(setting.first).toMap()));
            } else if (!applySetting(dialog, setting.first, setting.second, &error)) {
                status = UsageError;
                dialog->reject();
                return;
            }
        }
        if (const QStringList unknown = OptionCheck::unknownKeys(options, known); !unknown.isEmpty()) {
            error = unknown.join(QLatin1Char('\n'));
            status = UsageError;
            dialog->reject();
            return;
        }
        if (!options.isEmpty()) {
            auto *frame = qobject_cast<IPCore::ModuleGenDialog *>(dialog);
            options.insert(QStringLiteral("module"), frame->moduleName());
            options.insert(QStringLiteral("file"), frame->fileName());
            options.insert(QStringLiteral("ip_creat_mode"), false); // keep the output folder
            QStringList lines;
            if (!frame->setProperty(options, lines)) {
                error = lines.join(QLatin1Char('\n'));
                status = UsageError;
                dialog->reject();
                return;
            }
        }
        showWholePages(dialog);
        QBuffer picture;
        picture.open(QIODevice::WriteOnly);
        if (!dialog->grab().save(&picture, "PNG")) {
            error = QStringLiteral("cannot write '%1'").arg(Utils::echo(outFile));
        } else {
            error = writePicture(outFile, picture.data());
            status = error.isEmpty() ? Done : Refused;
        }
        dialog->reject();
    });
    host.core()->createModule(scratch.path(), device);
    if (status != Done)
        return fail(status, error);
    out() << "written: " << QFileInfo(outFile).absoluteFilePath() << '\n';
    return Done;
}

} // namespace DialogCommands
