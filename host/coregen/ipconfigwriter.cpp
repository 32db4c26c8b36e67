// SPDX-License-Identifier: MIT
#include "ipconfigwriter.h"

#include "moduleoutput.h"

#include <echo.h>
#include <stagedfiles.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <QtDebug>

namespace IPCore {

namespace {

const char hexDigits[] = "0123456789ABCDEF";

// Keys use QSettings' INI escapes: letters, digits, '_', '-' and '.' stay,
// '/' becomes '\', anything else %XX or %UXXXX.
void appendKey(const QString &key, QByteArray &out)
{
    for (const QChar qc : key) {
        const ushort ch = qc.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'
                   || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hexDigits[ch >> 4];
            out += hexDigits[ch & 0xF];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hexDigits[(ch >> shift) & 0xF];
        }
    }
}

bool isHexDigit(ushort ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

// Values use QSettings' INI string escapes. Non-ASCII characters are written as
// \x escapes of their UTF-16 units (the reader takes unescaped bytes as Latin-1);
// a hex digit right after such an escape is escaped too, or the reader would
// take it as part of the number. Separators and outer blanks need quotes.
void appendValue(const QString &text, QByteArray &out)
{
    const int start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfHex = false;
    for (const QChar qc : text) {
        const ushort ch = qc.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfHex && isHexDigit(ch)) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfHex = false;
        switch (ch) {
        case '\0':
            out += "\\0";
            escapeNextIfHex = true;
            break;
        case '\a':
            out += "\\a";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\v':
            out += "\\v";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (ch <= 0x1F || ch >= 0x7F) {
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfHex = true;
            } else {
                out += char(ch);
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

QString valueText(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        // Shortest text that reads back as the same double, without an exponent.
        return QString::number(value.toDouble(), 'f', QLocale::FloatingPointShortest);
    case QMetaType::QString: {
        // QSettings reads a leading '@' as a type marker and a doubled one as '@'.
        const QString text = value.toString();
        return text.startsWith(QLatin1Char('@')) ? QLatin1Char('@') + text : text;
    }
    default:
        return value.toString();
    }
}

void appendSection(const QString &name, const QVariantMap &values, QByteArray &out)
{
    if (values.isEmpty())
        return;
    if (!out.isEmpty())
        out += '\n';
    out += '[';
    appendKey(name, out);
    out += "]\n";
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        appendKey(it.key(), out);
        out += '=';
        appendValue(valueText(it.value()), out);
        out += '\n';
    }
}

} // namespace

QByteArray ipConfigText(const QVariantMap &info, const QVariantMap &config)
{
    QByteArray text;
    // QSettings keeps top-level keys in the section "General".
    appendSection(QStringLiteral("General"), info, text);
    appendSection(QStringLiteral("Config"), config, text);
    return text;
}

bool writeIPConfig(const QString &path, const QVariantMap &info, const QVariantMap &config)
{
    const QByteArray text = ipConfigText(info, config);

    // Within a module's write the file joins the module's other files and is
    // committed with them; alone, it is committed at once.
    const QFileInfo target(path);
    FileIO::StagedFiles own;
    ModuleOutput *module = ModuleOutput::open();
    FileIO::StagedFiles *files = module ? &module->files() : nullptr;
    QString problem = QStringLiteral("no such directory");
    const bool written = files ? files->add(target.fileName(), text, &problem)
                               : target.dir().exists()
                                         && own.open(target.path(), QString(), target.completeBaseName(), &problem)
                                         && own.add(target.fileName(), text, &problem) && own.commit(&problem);
    if (!written) {
        if (module)
            module->discard();
        qWarning().noquote() << QStringLiteral("IPCore::writeIPConfig: could not write '%1': %2")
                                        .arg(Utils::echo(path), problem);
        return false;
    }
    return true;
}

} // namespace IPCore
