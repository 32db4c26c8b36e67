// SPDX-License-Identifier: MIT
// Arbitrary bytes as a configuration file, at the layer under the dialog: the
// input check and the INI reader that loading uses. Whatever the reader takes
// from the group "Config", written back by the configuration writer, must read
// back as the same texts.
#include "fuzzing.h"

#include <inputfile.h>
#include <ipconfigwriter.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

// Each read gets a new name: QSettings keeps parsed files by name and would
// take a rewrite within the same millisecond for the old file.
QString freshPath()
{
    static QTemporaryDir dir;
    static quint64 counter = 0;
    return dir.filePath(QString::number(++counter) + QStringLiteral(".ipc"));
}

QMap<QString, QString> readConfig(const QByteArray &bytes, QString *version)
{
    const QString path = freshPath();
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
               QStringLiteral("cannot write the input"));
    file.close();
    FUZZ_CHECK(FileIO::inputProblem(path).isEmpty() == (bytes.size() <= FileIO::InputLimit),
               QStringLiteral("the input check misjudged a regular file of %1 bytes").arg(bytes.size()));
    QMap<QString, QString> config;
    {
        QSettings settings(path, QSettings::IniFormat);
        *version = settings.value(QStringLiteral("version")).toString();
        settings.beginGroup(QStringLiteral("Config"));
        for (const QString &key : settings.childKeys())
            config.insert(key, settings.value(key).toString());
    }
    QFile::remove(path);
    return config;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString version;
    const QMap<QString, QString> config = readConfig(QByteArray(reinterpret_cast<const char *>(data), int(size)),
                                                     &version);
    QVariantMap values;
    for (auto it = config.constBegin(); it != config.constEnd(); ++it)
        values.insert(it.key(), it.value());
    // The writer refuses only what it could not write faithfully: an empty key.
    const std::optional<QByteArray> text = IPCore::ipConfigText({{QStringLiteral("version"), version}}, values);
    FUZZ_CHECK(text.has_value() != config.contains(QString()),
               QStringLiteral("the writer refused a file it can write, or wrote one it cannot"));
    if (!text)
        return 0;
    QString versionAgain;
    const QMap<QString, QString> again = readConfig(*text, &versionAgain);
    FUZZ_CHECK(versionAgain == version,
               QStringLiteral("the version \"%1\" came back as \"%2\"").arg(version, versionAgain));
    for (auto it = config.constBegin(); it != config.constEnd(); ++it) {
        FUZZ_CHECK(again.value(it.key()) == it.value(), QStringLiteral("the key \"%1\" with \"%2\" came back as \"%3\"")
                                                                .arg(it.key(), it.value(), again.value(it.key())));
    }
    FUZZ_CHECK(again.size() == config.size(), QStringLiteral("the written file has other keys"));
    return 0;
}
