// SPDX-License-Identifier: MIT
// Arbitrary bytes as a .ipc file, re-opened in a fresh dialog the way a script
// re-opens a module, then saved and re-opened in a second dialog. The file
// keeps only the settings that matter in the chosen mode, so the second dialog
// must show the same value for every setting the saved file carries, and
// saving it again must write the same file. Last comes the batch OK, as
// `mirel-host open` runs it on the re-opened module.
#include "fuzzing.h"

#include <configkeys.h>
#include <ipinfo.h>
#include <mireldialog.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QVariantMap &description()
{
    static const QVariantMap info = [] {
        QVariantMap map = IPCore::processIPInfoSpec(QStringLiteral(SOURCE_DIR "/plugin/pll.ipspec"));
        FUZZ_CHECK(IPCore::checkCommonInfo(map), QStringLiteral("the core description cannot be read"));
        // As the plug-in does: hosts compare versions as text.
        map.insert(QStringLiteral("ipcore.version"), map.value(QStringLiteral("ipcore.version")).toString());
        return map;
    }();
    return info;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly), QStringLiteral("no file '%1' was saved").arg(path));
    return file.readAll();
}

QString frame(const ModMirel::Mirel_Dialog &dialog)
{
    return QStringList{dialog.moduleName(), dialog.fileName(), dialog.device().id(), QString::number(dialog.fileType())}
            .join(QLatin1Char('|'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(QStringLiteral("input.ipc"));
    QFile file(input);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly)
                       && file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size),
               QStringLiteral("cannot write the input file"));
    file.close();

    ModMirel::Mirel_Dialog first(description(), nullptr);
    QStringList lines;
    first.reportToMessageList(&lines);
    FUZZ_CHECK(first.setOpening(input, QString()) || !lines.isEmpty(), QStringLiteral("a refused file gave no line"));
    const QVariantMap settings = first.getProperty();
    FUZZ_CHECK(settings.size() == 28, QStringLiteral("getProperty does not report the 28 settings"));
    // Saved next to the input under a fixed name, then again from the second dialog into a folder.
    first.setCreatPath(QString());
    first.uiSetFileName(QStringLiteral("saved"));
    first.saveIPConfig();
    const QString saved = dir.filePath(QStringLiteral("saved.ipc"));
    const QByteArray savedBytes = contents(saved);

    ModMirel::Mirel_Dialog second(description(), nullptr);
    second.reportToMessageList(&lines);
    FUZZ_CHECK(second.setOpening(saved, QString()), QStringLiteral("the saved file is refused: ") + lines.join(' '));
    FUZZ_CHECK(frame(second) == frame(first),
               QStringLiteral("re-opened, the frame differs: %1 -> %2").arg(frame(first), frame(second)));
    QSettings kept(saved, QSettings::IniFormat);
    kept.beginGroup(QLatin1String(ModMirel::Config::FileGroup));
    const QVariantMap again = second.getProperty();
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        const ModMirel::Config::Entry *entry = ModMirel::Config::findByKey(it.key());
        if (entry && kept.contains(QLatin1String(entry->fileKey)))
            FUZZ_CHECK(again.value(it.key()) == it.value(),
                       QStringLiteral("re-opened, %1 differs: '%2' -> '%3'")
                               .arg(it.key(), it.value().toString(), again.value(it.key()).toString()));
    }
    FUZZ_CHECK(QDir(dir.path()).mkdir(QStringLiteral("again")), QStringLiteral("cannot make a folder"));
    second.setCreatPath(QStringLiteral("again"));
    second.saveIPConfig();
    const QByteArray againBytes = contents(dir.filePath(QStringLiteral("again/saved.ipc")));
    FUZZ_CHECK(againBytes == savedBytes, QStringLiteral("saved again, the file differs:\n%1\n-- again:\n%2")
                                                 .arg(QString::fromUtf8(savedBytes), QString::fromUtf8(againBytes)));

    // `mirel-host open` goes on with the batch OK on whatever the file gave.
    lines.clear();
    first.setCreatPath(QStringLiteral("open"));
    if (first.accept(lines)) {
        const QString module = dir.filePath(first.fileType() ? QStringLiteral("open/saved.vhd")
                                                             : QStringLiteral("open/saved.v"));
        for (const QString &path : {dir.filePath(QStringLiteral("open/saved.ipc")), module})
            FUZZ_CHECK(QFileInfo(path).isFile(), QStringLiteral("the batch OK reported success without '%1'").arg(path));
        Fuzz::expectCompiles({module});
    } else {
        FUZZ_CHECK(!lines.isEmpty(), QStringLiteral("the batch OK failed without a line"));
    }
    return 0;
}
