// SPDX-License-Identifier: MIT
#include "ipconfigwriter.h"

#include "moduleoutput.h"

#include <echo.h>
#include <stagedfiles.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QSettings>
#include <QTemporaryDir>
#include <QtDebug>

namespace IPCore {

namespace {

// The core that called reports a failed write in its own words; the writer's reason is
// there for QT_LOGGING_RULES="mirel.coregen.writer.warning=true", so that one problem
// stays one line.
Q_LOGGING_CATEGORY(writerLog, "mirel.coregen.writer", QtCriticalMsg)

// Every value goes to QSettings as the text it stands for, so that numbers stay
// plain decimals (hand-made tools read these files too) and no type marker is added.
QString valueText(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        // Shortest text that reads back as the same double, without an exponent.
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    default:
        return value.toString();
    }
}

// Text that QSettings writes as it is, neither quoted nor escaped, as a key or as a value.
bool plainKey(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' || u == '-'
              || u == '.'))
            return false;
    }
    return !text.isEmpty();
}

bool plainValue(const QString &text)
{
    return text.isEmpty() || plainKey(text);
}

// The text QSettings makes of maps whose keys and values are all plain, without its
// scratch file: the sections in its order (the top level as [General], then the group),
// the keys sorted as it sorts them, a blank line between sections.
std::optional<QByteArray> plainText(const QVariantMap &info, const QVariantMap &config)
{
    QByteArray text;
    for (const auto &[map, header] : {std::pair{&info, "[General]\n"}, {&config, "[Config]\n"}}) {
        if (map->isEmpty())
            continue;
        text += QByteArray(text.isEmpty() ? "" : "\n") + header;
        for (auto it = map->constBegin(); it != map->constEnd(); ++it) {
            const QString value = valueText(it.value());
            if (!plainKey(it.key()) || !plainValue(value))
                return std::nullopt;
            text += it.key().toLatin1() + '=' + value.toLatin1() + '\n';
        }
    }
    return text;
}

} // namespace

std::optional<QByteArray> ipConfigText(const QVariantMap &info, const QVariantMap &config, QString *problem)
{
    // Anything else QSettings writes into a private scratch folder; the bytes are what the staged commit writes.
    QString reason;
    QString *why = problem ? problem : &reason;
    // QSettings drops an empty key without a word; a file without it would read back as another one.
    if (info.contains(QString()) || config.contains(QString())) {
        *why = QStringLiteral("an empty key cannot be written");
        return std::nullopt;
    }
    if (std::optional<QByteArray> plain = plainText(info, config))
        return plain;
    const QTemporaryDir scratch;
    if (!scratch.isValid()) {
        *why = scratch.errorString();
        return std::nullopt;
    }
    const QString path = scratch.filePath(QStringLiteral("text.ipc"));
    {
        QSettings settings(path, QSettings::IniFormat);
        for (auto it = info.constBegin(); it != info.constEnd(); ++it)
            settings.setValue(it.key(), valueText(it.value()));
        settings.beginGroup(QStringLiteral("Config"));
        for (auto it = config.constBegin(); it != config.constEnd(); ++it)
            settings.setValue(it.key(), valueText(it.value()));
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            *why = QStringLiteral("the settings text could not be made");
            return std::nullopt;
        }
    }
    // With nothing to hold, QSettings writes no file.
    QFile file(path);
    if (!file.exists())
        return QByteArray("");
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

bool writeIPConfig(const QString &path, const QVariantMap &info, const QVariantMap &config)
{
    QString problem;
    const std::optional<QByteArray> text = ipConfigText(info, config, &problem);

    // Within a module's write the file joins the module's other files and is
    // committed with them; alone, it is committed at once.
    const QFileInfo target(path);
    FileIO::StagedFiles own;
    ModuleOutput *module = ModuleOutput::open();
    FileIO::StagedFiles *files = module ? &module->files() : nullptr;
    if (text && !files && !target.dir().exists())
        problem = QStringLiteral("no such directory");
    const bool written = text && problem.isEmpty()
                         && (files ? files->add(target.fileName(), *text, &problem)
                                   : own.open(target.path(), QString(), target.completeBaseName(), &problem)
                                             && own.add(target.fileName(), *text, &problem) && own.commit(&problem));
    if (!written) {
        if (module)
            module->discard();
        qCWarning(writerLog).noquote() << QStringLiteral("IPCore::writeIPConfig: could not write '%1': %2")
                                                  .arg(Utils::echo(path), problem);
        return false;
    }
    return true;
}

} // namespace IPCore
