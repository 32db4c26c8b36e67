// SPDX-License-Identifier: MIT
#pragma once

#include <pllsettings.h>

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include <functional>

namespace IPCore {
class ModuleGenDialog;
}

namespace ModMirel {

// The configuration file and the batch option maps. Which key lives in which
// control and member, and when it travels, comes from the key table in config/:
// the file is written from the settings value, and loading and batch options
// set the frame's fields and the controls by the names the table gives.
class ConfigFlows
{
public:
    // frame: the dialog whose fields and named controls the flows set;
    // settings: the form read at this moment; coreId: the type the file records.
    ConfigFlows(IPCore::ModuleGenDialog &frame, std::function<PllSettings()> settings, QString coreId);

    // The .ipc file of the current settings; false when it could not be written.
    bool save() const;
    // The refusal line for the first list setting the file would carry without a
    // current item, or empty; checked before anything is written.
    QString listWithoutItemLine() const;
    // Problems go to batchMessages as lines, or without it to a box.
    bool load(const QString &path, QStringList *batchMessages);
    void apply(const QVariantMap &config);

    // A script's options onto the frame and the form; false with the refusal in messagelist.
    // Taken, each option the final settings leave without effect, and each frequency
    // the form keeps with fewer decimals than given, adds a WARNING line.
    bool setBatchOptions(const QVariantMap &cfgs, QStringList &messagelist);
    // The frequency an option of the last setBatchOptions asked for, as given, or 0
    // when it gave none: errors are reckoned against what was asked.
    double asked(const char *key) const;
    // The options the core reports, read from the controls that hold them.
    QVariantMap batchOptions() const;

    // The dialog's controls by object name, found once per dialog.
    class Controls
    {
    public:
        explicit Controls(const QObject &frame);
        template<typename T>
        T *get(const char *name) const
        {
            return qobject_cast<T *>(named(name));
        }
        bool isChecked(const char *name) const;
        void setChecked(const char *name, bool checked) const;

    private:
        QWidget *named(const char *name) const;
        const QObject &frame;
        mutable QHash<QString, QWidget *> byName;
    };

private:
    QStringList effectLines(const QVariantMap &cfgs) const;

    IPCore::ModuleGenDialog &frame;
    Controls controls;
    std::function<PllSettings()> settings;
    QString coreId;
    QVariantMap given;
};

} // namespace ModMirel
