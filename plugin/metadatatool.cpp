// SPDX-License-Identifier: MIT
// Writes the plug-in's metadata, which moc embeds in the library (Q_PLUGIN_METADATA) and a
// host reads from its file without loading it (host/velkte/coredescription.h): the
// description file the core reads, the devices it knows and the batch options as
// options() gives them, made by the same code from the same key table.
//
//     mirel-plugin-metadata OUT.json DESCRIPTION_FILE
#include "batchoptions.h"

#include <coredescription.h>
#include <devices.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: mirel-plugin-metadata OUT.json DESCRIPTION_FILE\n", stderr);
        return 2;
    }
    QJsonArray devices;
    for (const ModMirel::Calc::Device &known : ModMirel::Calc::devices()) {
        devices.append(QJsonObject{{QStringLiteral("device"), QString::fromStdString(known.device)},
                                   {QStringLiteral("part"), QString::fromStdString(known.id)}});
    }
    // Every device the core knows: the host keeps the ranges of those its description supports.
    const QVariantMap options = ModMirel::batchOptions([](const DEV::DeviceArg &) { return true; });
    const QJsonObject ipcore{{QStringLiteral("schema"), QLatin1String(TE::TE_IPCore_Def::CoreDescription::Schema)},
                             {QStringLiteral("description"), QString::fromLocal8Bit(argv[2])},
                             {QStringLiteral("devices"), devices},
                             {QStringLiteral("options"),
                              QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(options))
                                                        .toJson(QJsonDocument::Compact))}};
    const QByteArray text = QJsonDocument(QJsonObject{{QStringLiteral("ipcore"), ipcore}}).toJson();
    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        std::fprintf(stderr, "mirel-plugin-metadata: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
