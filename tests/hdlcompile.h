// SPDX-License-Identifier: MIT
#pragma once

// Compiling a generated module against the primitive's model, shared by the
// host program test and the fuzz targets' corpus replay. Needs SOURCE_DIR.
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <optional>

// The compiler's complaint, empty when the module (or a testbench, with the
// module beside it) compiles; nothing when no compiler (Icarus Verilog for .v,
// GHDL for .vhd) is installed, so the file was not checked.
inline std::optional<QString> hdlCompileError(const QString &module, int timeLimitMs = 60000)
{
    const bool vhdl = module.endsWith(QLatin1String(".vhd"));
    const QString tool = QStandardPaths::findExecutable(vhdl ? QStringLiteral("ghdl") : QStringLiteral("iverilog"));
    if (tool.isEmpty())
        return std::nullopt;
    QTemporaryDir work; // GHDL keeps its library in the working directory
    const QString model = QStringLiteral(SOURCE_DIR "/hdl/mirel")
                          + (vhdl ? QStringLiteral(".vhd") : QStringLiteral(".v"));
    QStringList sources = {model, module};
    if (module.contains(QRegularExpression(QStringLiteral("_tb\\.(v|vhd)$"))))
        sources.insert(1, QString(module).remove(QRegularExpression(QStringLiteral("_tb(?=\\.(v|vhd)$)"))));
    QProcess compiler;
    compiler.setWorkingDirectory(work.path());
    compiler.setProcessChannelMode(QProcess::MergedChannels);
    compiler.start(tool, vhdl ? QStringList{"-a", "--std=08"} + sources
                              : QStringList{"-g2005", "-o", work.filePath("a.out")} + sources);
    if (!compiler.waitForFinished(timeLimitMs)) {
        compiler.kill();
        compiler.waitForFinished();
        return QStringLiteral("%1 did not finish within %2 s").arg(tool).arg(timeLimitMs / 1000);
    }
    if (compiler.exitStatus() != QProcess::NormalExit || compiler.exitCode() != 0)
        return QString::fromUtf8(compiler.readAll());
    return QString();
}
