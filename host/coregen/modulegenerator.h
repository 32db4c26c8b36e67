// SPDX-License-Identifier: MIT
#pragma once

#include <devicearg.h>

#include <QObject>
#include <QStringList>

namespace IPCore {

// The generator's header text for a device: plain lines, commented by the generator.
QString modfileHeader(const DEV::DeviceArg &device);

// The language word of the generator: 0 Verilog, any other value VHDL.
QString fileTypeString(int fileType);

// The generator command for an argument list, or an empty text when the list is
// not one the generator accepts. Nothing is written; VelkModGenProxy runs it.
QString genModFile(const QString &fileName, const QString &path, const QStringList &args);

// Batch form: generates at once; on failure appends "ERROR: " lines and returns empty.
QString genModFile(const QString &fileName, const QString &path, const QStringList &args, QStringList &messagelist);

// What the generator was last handed and last wrote, for the host program's report.
QStringList lastGeneratorArgs();
QStringList lastGeneratedFiles();
// Forgets both, so that a host creating many modules reports none twice.
void clearLastGeneration();

// A host's policy for batch modules: when strict, a module whose message list holds
// a warning by the time its files are checked is not written, and those warnings
// become errors (mirel-host create --strict).
void setStrictBatch(bool strict);
bool strictBatch();

// Runs generator commands for interactive use.
class VelkModGenProxy : public QObject
{
    Q_OBJECT
public:
    explicit VelkModGenProxy(QObject *parent = nullptr);

    // 0 when the generator ran and wrote its files. The run is in-process, so it has
    // finished when this returns, whatever `async` asks for.
    int startModGen(const QString &command, int fileType, bool async);

    QStringList errors() const { return m_errors; }

private:
    QStringList m_errors;
};

// The user's project: files in the order they were added, each once.
void addFilesToProject(const QStringList &files);
QStringList projectFiles();
void clearProjectFiles();

} // namespace IPCore
