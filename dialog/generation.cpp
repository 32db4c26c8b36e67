// SPDX-License-Identifier: MIT
#include "generation.h"

#include <editormanager.h>
#include <modargs.h>
#include <modulegendialog.h>
#include <modulegenerator.h>

#include <QFileInfo>

#include <memory>
#include <utility>

namespace ModMirel {

Generation::Generation(const IPCore::ModuleGenDialog &frame, QString ipVersion)
    : frame(frame)
    , ipVersion(std::move(ipVersion))
{}

// Reads the host fields in the order the host expects them asked.
QStringList Generation::args(const PllSettings &settings) const
{
    Generate::FrameFields fields;
    fields.header = IPCore::modfileHeader(frame.device());
    fields.moduleName = frame.moduleName();
    fields.fileName = frame.fileName();
    fields.createPath = frame.createPath();
    fields.fileTypeWord = IPCore::fileTypeString(frame.fileType());
    fields.ipVersion = ipVersion;
    fields.deviceName = frame.device().device();

    return Generate::buildModArgs(fields, settings);
}

Generation::Run Generation::run(const QString &command) const
{
    const int language = frame.fileType();
    auto proxy = std::make_unique<IPCore::VelkModGenProxy>(nullptr);
    if (proxy->startModGen(command, language, false) != 0)
        return Run::Refused;

    const QString extension = language == 0 ? QStringLiteral(".v") : QStringLiteral(".vhd");
    const QString stem = frame.createPath() + QLatin1Char('/') + frame.fileName();
    const QString module = stem + extension;
    if (!QFileInfo::exists(module))
        return Run::NoModule;
    Core::EditorManager::openEditor(module, false);
    Core::EditorManager::openEditor(stem + QStringLiteral("_tmp") + extension, false);
    IPCore::addFilesToProject({module});
    return Run::Opened;
}

} // namespace ModMirel
