// scripts/run.sh, the README's run command: the simulator it starts, the
// COM3 mapping it hands to the calibrator, and the simulator stopped when the
// calibrator ends. The build is already done (cmake is stubbed), and the
// "calibrator" is a stand-in that reads the device through COM3 with qm07ctl.
#include "support/files.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using qm::testing::FileBytes;

class TestRunScript : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void writeExecutable(const QString& name, const QByteArray& text) {
        QFile f(qm::testing::WriteFileBytes(path(name), text));
        QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    }

  private slots:
    void simulatorOnCom3() {
        QVERIFY(QDir().mkpath(path("stubs")) && QDir().mkpath(path("build/bin")));
        writeExecutable("stubs/dpkg-query", "#!/bin/sh\nprintf 'install ok installed'\n");
        writeExecutable("stubs/cmake", "#!/bin/sh\nexit 0\n");
        qm::testing::WriteFileBytes(path("build/CMakeCache.txt"), {});
        QVERIFY(QFile::link(QM07R_SIM_PATH, path("build/bin/qm07r-sim")));
        const QByteArray out = QFile::encodeName(m_dir.path());
        writeExecutable("build/bin/qm07-calibrator",
                        "#!/bin/sh\nprintf '%s %s\\n' \"$QM07_COMPORT\" \"$QM07_PORT_COM3\" > '" +
                            out + "/port'\nprintf '%s\\n' \"$*\" > '" + out +
                            "/args'\nexec '" QM07CTL_PATH "' --port COM3 read > '" + out +
                            "/read.json'\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", path("stubs") + u':' + env.value("PATH"));
        env.insert("QM_BUILD_DIR", path("build"));
        env.insert("XDG_CACHE_HOME", path("cache"));
        env.insert("XDG_CONFIG_HOME", path("config"));
        for (const char* name : {"QM07_PORT_COM3", "WAYLAND_DISPLAY"})
            env.remove(name);
        env.insert("DISPLAY", ":99");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start("bash", {QM_SOURCE_DIR "/scripts/run.sh", "--", "savant"});
        QVERIFY2(p.waitForFinished(20000) && p.exitCode() == 0,
                 p.readAllStandardError().constData());
        const QString link = path("cache/qm07-calibrator/qm07r-pty");
        QVERIFY(p.readAllStandardOutput().contains(
            QStringLiteral("the simulated QM-07R is on COM3 (%1)").arg(link).toLocal8Bit()));
        QCOMPARE(FileBytes(path("port")).trimmed(), "3 " + QFile::encodeName(link)); // mapped
        QCOMPARE(FileBytes(path("args")).trimmed(), QByteArray("savant"));
        const QByteArray read = FileBytes(path("read.json"));
        QVERIFY2(QJsonDocument::fromJson(read).object().value("ident").toString().startsWith(u"QM"),
                 read.constData());
        // The calibrator has ended: the simulator has stopped and taken its link away.
        QVERIFY(!QFileInfo(link).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestRunScript)
#include "test_runscript.moc"
