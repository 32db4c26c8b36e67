// SPDX-License-Identifier: MIT
#include "editormanager.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPointer>

namespace Core {

namespace {

struct State
{
    QStringList opened;
    bool viewers = false;
    QList<QPointer<QPlainTextEdit>> windows;
};

State &state()
{
    static State s;
    return s;
}

} // namespace

bool EditorManager::openEditor(const QString &path, bool flag)
{
    Q_UNUSED(flag)
    state().opened << path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (state().viewers) {
        auto *viewer = new QPlainTextEdit;
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        viewer->setReadOnly(true);
        viewer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        viewer->setWindowTitle(QFileInfo(path).fileName());
        viewer->setPlainText(QString::fromUtf8(file.readAll()));
        viewer->resize(800, 600);
        viewer->show();
        state().windows << viewer;
    }
    return true;
}

QStringList EditorManager::openedFiles()
{
    return state().opened;
}

void EditorManager::clearOpenedFiles()
{
    state().opened.clear();
}

void EditorManager::setViewersEnabled(bool enabled)
{
    state().viewers = enabled;
}

int EditorManager::openViewerCount()
{
    int count = 0;
    for (const auto &window : state().windows)
        count += window ? 1 : 0;
    return count;
}

} // namespace Core
