// qm07ctl and the serial ports by their real names: "ports" lists what each COM
// number stands for, and a port the user may not use says so with the fix.
#include "sim/simprocess.h"
#include "support/ctlrunner.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

class TestPortCommands : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void ports() {
        const QString link = m_dir.filePath(QStringLiteral("adapter"));
        const testing::CtlRun r = testing::RunCtl({"ports"}, m_dir.path(), link);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("Serial devices present:\n"), r.out);
        QVERIFY2(r.out.contains("\n  COM5  " + link.toUtf8() + '\n'), r.out);
        QVERIFY2(r.out.contains("\n  COM20 " + m_dir.filePath("absent20").toUtf8() + '\n'), r.out);
    }

    // Root may open anything, so the refusal is seen by a user without rights:
    // the simulator's pty, its mode cut to its owner, opened as "nobody".
    void permissionDenied() {
        QProcess probe;
        probe.start(QStringLiteral("runuser"), {"-u", "nobody", "--", "true"});
        if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
            QSKIP("needs root and runuser to act as a user without rights");
        SimProcess sim;
        QString error;
        QVERIFY2(sim.start(m_dir.filePath(QStringLiteral("qm07r")), {}, &error), qPrintable(error));
        QVERIFY(QFile::setPermissions(sim.slavePath(), QFile::ReadOwner | QFile::WriteOwner));
        QCOMPARE(QProcess::execute("chgrp", {"dialout", sim.slavePath()}), 0);
        const QString group = "dialout";
        QProcess p;
        p.start(QStringLiteral("runuser"), {"-u", "nobody", "--", QStringLiteral(QM07CTL_PATH),
                                            "--port", sim.slavePath(), "read"});
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitCode(), 4);
        QVERIFY2(err.contains(sim.slavePath()) && err.contains("group \"" + group + '"') &&
                     err.contains("usermod -aG " + group + " nobody") &&
                     err.contains("log in again"),
                 qPrintable(err));
    }
};

QTEST_GUILESS_MAIN(TestPortCommands)
#include "test_portcommands.moc"
