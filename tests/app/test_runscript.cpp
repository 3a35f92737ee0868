// scripts/run.sh, the README's run command: the simulator it starts, the
// COM3 mapping it hands to the calibrator, and the simulator stopped when the
// calibrator ends. The build is already done (cmake is stubbed), and the
// "calibrator" is a stand-in that reads the device through COM3 with qm07ctl.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestRunScript : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    void writeExecutable(const QString& file, const QByteArray& text) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ExeOwner));
    }

    // run.sh with the stand-ins first on PATH and its caches in the test's folder.
    QProcess* runScript(const QStringList& args, bool display) {
        auto* p = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"),
                   path(QStringLiteral("stubs")) + u':' + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("QM_BUILD_DIR"), path(QStringLiteral("build")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.remove(QStringLiteral("QM07_PORT_COM3"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (display)
            env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":99"));
        else
            env.remove(QStringLiteral("DISPLAY"));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral("bash"),
                 QStringList{QStringLiteral(QM_SOURCE_DIR "/scripts/run.sh")} + args);
        if (!p->waitForFinished(20000)) p->kill();
        return p;
    }

    QByteArray readFile(const char* name) {
        QFile f(path(QLatin1String(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : QByteArray();
    }

  private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(path(QStringLiteral("stubs"))));
        QVERIFY(QDir().mkpath(path(QStringLiteral("build/bin"))));
        // The packages are there and the build is done.
        writeExecutable(path(QStringLiteral("stubs/dpkg-query")),
                        "#!/bin/sh\nprintf 'install ok installed'\n");
        writeExecutable(path(QStringLiteral("stubs/cmake")), "#!/bin/sh\nexit 0\n");
        QFile cache(path(QStringLiteral("build/CMakeCache.txt")));
        QVERIFY(cache.open(QIODevice::WriteOnly));
        cache.close();
        QVERIFY(QFile::link(QStringLiteral(QM07R_SIM_PATH),
                            path(QStringLiteral("build/bin/qm07r-sim"))));
        const QByteArray out = QFile::encodeName(m_dir.path());
        writeExecutable(path(QStringLiteral("build/bin/qm07-calibrator")),
                        "#!/bin/sh\n"
                        "printf '%s %s\\n' \"$QM07_COMPORT\" \"$QM07_PORT_COM3\" > '" +
                            out +
                            "/port'\n"
                            "printf '%s\\n' \"$*\" > '" +
                            out +
                            "/args'\n"
                            "exec '" QM07CTL_PATH "' --port COM3 read > '" +
                            out + "/read.json'\n");
    }

    void simulatorOnCom3() {
        QProcess* p = runScript({QStringLiteral("--"), QStringLiteral("savant")}, true);
        const QByteArray err = p->readAllStandardError();
        QVERIFY2(p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0, err.constData());
        const QString link = path(QStringLiteral("cache/qm07-calibrator/qm07r-pty"));
        QVERIFY(p->readAllStandardOutput().contains(
            QStringLiteral("the simulated QM-07R is on COM3 (%1)").arg(link).toLocal8Bit()));
        QCOMPARE(readFile("port"), "3 " + QFile::encodeName(link)); // selected, mapped
        QCOMPARE(readFile("args"), QByteArray("savant"));
        const QJsonObject read = QJsonDocument::fromJson(readFile("read.json")).object();
        QVERIFY2(read.value(QStringLiteral("ident")).toString().startsWith(u"QM"),
                 readFile("read.json").constData());
        // The calibrator has ended, so the simulator has been stopped and has
        // taken its link away.
        QVERIFY(!QFileInfo(link).isSymLink());
    }

    void noDisplaySaysHow() {
        QProcess* p = runScript({}, false);
        QCOMPARE(p->exitCode(), 1);
        QVERIFY(p->readAllStandardError().contains("scripts/run.sh --xvfb"));
        QVERIFY(p->readAllStandardOutput().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRunScript)
#include "test_runscript.moc"
