// SPDX-License-Identifier: MIT
// Writes that fail part-way (a file-size limit stands in for a full disk) never
// leave a truncated file in place of a good one, and the failure is reported:
// a line in batch use, a box in the dialog.
#include "mireldialog.h"
#include "modalwatcher.h"

#include <devicetable.h>

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

// Caps the size of any file this process writes, for one scope.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            files.insert(info.fileName(), file.readAll());
    }
    return files;
}

struct Fixture
{
    Fixture()
        : dialog(QVariantMap{{"ipcore.id", "MIREL"}, {"ipcore.version", "1.0"}}, nullptr)
    {
        dialog.setCreating(out.path(), DEV::DeviceTable::defaultDevice().arg());
        dialog.uiSetModuleName(QStringLiteral("pll1"));
        dialog.uiSetFileName(QStringLiteral("pll1"));
        setClkout(100.0);
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("clkinSpinFrequency"))->setValue(27.0);
        dialog.findChild<QComboBox *>(QStringLiteral("clkoutComBoxTolerance"))->setCurrentText(QStringLiteral("0.5"));
    }
    void setClkout(double mhz)
    {
        dialog.findChild<QDoubleSpinBox *>(QStringLiteral("clkoutSpinFrequency"))->setValue(mhz);
    }

    QTemporaryDir out;
    ModMirel::Mirel_Dialog dialog;
};

} // namespace

class tst_Faults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void interruptedWrite_data();
    void interruptedWrite();
};

void tst_Faults::initTestCase()
{
    // Past the limit a write fails with EFBIG instead of the process being killed.
    std::signal(SIGXFSZ, SIG_IGN);
}

void tst_Faults::interruptedWrite_data()
{
    QTest::addColumn<bool>("batch");
    QTest::addColumn<QString>("failing"); // the first file whose write is cut short
    QTest::newRow("batch, .ipc") << true << "pll1.ipc";
    QTest::newRow("batch, module") << true << "pll1.v";
    QTest::newRow("dialog, .ipc") << false << "pll1.ipc";
    QTest::newRow("dialog, module") << false << "pll1.v";
}

void tst_Faults::interruptedWrite()
{
    QFETCH(bool, batch);
    QFETCH(QString, failing);
    Fixture f;
    QStringList lines;
    QVERIFY2(f.dialog.accept(lines), qPrintable(lines.join('\n')));
    const QMap<QString, QByteArray> good = snapshot(f.out.path());
    QCOMPARE(good.keys(), QStringList({"pll1.ipc", "pll1.sdc", "pll1.v", "pll1_tb.v", "pll1_tmp.v"}));

    // The .ipc and the template are a few hundred bytes, the module well over a
    // thousand: a limit between them cuts exactly the module short.
    const rlim_t limit = failing == QLatin1String("pll1.ipc") ? 16 : 1000;
    QVERIFY(good.value(QStringLiteral("pll1.v")).size() > 1200 && good.value(QStringLiteral("pll1.ipc")).size() < 800
            && good.value(QStringLiteral("pll1_tmp.v")).size() < 800);

    f.setClkout(50.0); // another module than the one on disk
    lines.clear();
    bool accepted = false;
    ModalWatcher watcher;
    {
        FileSizeLimit cap(limit);
        if (batch) {
            accepted = f.dialog.accept(lines);
        } else {
            f.dialog.accept();
            accepted = f.dialog.result() == QDialog::Accepted;
        }
    }
    QVERIFY(!accepted);
    const QStringList reports = batch ? lines : watcher.texts();
    QVERIFY2(!reports.isEmpty(), "the failure went unreported");
    if (batch)
        QVERIFY2(reports.last().startsWith(QLatin1String("ERROR: ")), qPrintable(reports.join('\n')));
    QVERIFY(batch ? watcher.boxes.isEmpty() : lines.isEmpty());

    // Nothing truncated, no temporary file left behind: the module's files are
    // committed together or not at all.
    QCOMPARE(snapshot(f.out.path()), good);
}

QTEST_MAIN(tst_Faults)
#include "tst_faults.moc"
