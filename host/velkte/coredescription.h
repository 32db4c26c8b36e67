// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

namespace TE {
namespace TE_IPCore_Def {

class BaseIPCoreInterface;

// What a host shows of an IP core without using it: its identity, the devices it
// supports and its batch options, as the core's id(), name(), version(), category(),
// summary(), isSupported() and options() answer them.
//
// A plug-in may offer this without being loaded: its metadata (Q_PLUGIN_METADATA, which
// QPluginLoader::metaData() reads from the library's file, under "MetaData") then holds
// the object "ipcore" with
//   "schema":      "velkte.ipcore/1"
//   "description": the name of the core's IP description file, which the core reads
//                  from the plug-in's folder (pluginDir) when the host asks for it
//   "devices":     the devices the core knows, [{"device": NAME, "part": ID}, ...]
//   "options":     what options() answers for a description that supports all of
//                  them and adds no option (a frequency's "ranges" maps each device to
//                  its {"minimum", "maximum"}), as the text of one JSON object: Qt turns
//                  every value of the metadata into JSON whenever it is read, so the
//                  options, most of it, are parsed only by a host that asks for them
// and the rest is the description file's, read as the core reads it: one that
// checkCommonInfo refuses gives no core; "ipcore.id", "ipcore.name", "ipcore.version"
// (as text), "ipcore.category" and "ipcore.doc.summary" are the identity;
// "ipcore.device.unsupported" and "ipcore.device.supported" decide, through
// IPCore::isSupported, the devices supported, and options() keeps the ranges of those
// alone ("ranges" is null when none is); the options in "ipcore.options" replace the
// metadata's of the same key.
struct CoreDescription
{
    QString id;
    QString name;
    QString version;
    QStringList category;
    QString summary;
    std::function<bool(const DEV::DeviceArg &)> isSupported;
    // What options() answers, as JSON (QJsonObject::fromVariantMap), the form a host hands it on in.
    std::function<QJsonObject()> options;

    enum Reading {
        NotOffered, // the metadata holds no description of a core: load the plug-in to ask it
        Refused,    // the core's description file is refused: the plug-in offers no core
        Read,
    };
    static constexpr char Schema[] = "velkte.ipcore/1";

    // From a plug-in library's metadata (QPluginLoader::metaData()) and the description
    // file it names in `folder`, the plug-in's folder.
    static Reading read(const QJsonObject &metaData, const QString &folder, CoreDescription *core);
    // A loaded core's own answers.
    static CoreDescription of(BaseIPCoreInterface &core);
};

} // namespace TE_IPCore_Def
} // namespace TE
