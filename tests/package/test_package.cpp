// The Debian package as a user gets it: its contents, its programs run
// unpacked, and lintian's verdict.
#include "core/datafiles.h"
#include "core/languagefile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run run(const QString& program, const QStringList& args, int timeoutMs = 240000) {
    QProcess p;
    p.setWorkingDirectory(QStringLiteral(QM_BINARY_DIR));
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_deb;
    QString root() const { return m_dir.filePath("root"); }

  private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable("dpkg-deb").isEmpty())
            QSKIP("dpkg-deb is not installed (scripts/test.sh installs it)");
        const Run r = run(QM_CPACK, {"-G", "DEB", "-B", m_dir.filePath("out")});
        QVERIFY2(r.exitCode == 0, r.out + r.err);
        const QStringList debs = QDir(m_dir.filePath("out")).entryList({"qm07-calibrator_*.deb"});
        QCOMPARE(debs.size(), 1);
        m_deb = m_dir.filePath("out/" + debs.first());
        QCOMPARE(run("dpkg-deb", {"-x", m_deb, root()}).exitCode, 0);
    }

    // What it holds; each program in it runs and tells its version.
    void contents() {
        const Run r = run("dpkg-deb", {"-c", m_deb});
        // The programs and qm07r.lang are tried below; lintian checks copyright and changelog.
        for (const char* file :
             {"share/qm07-calibrator/en.lang", "share/applications/qm07-calibrator.desktop",
              "share/icons/hicolor/scalable/apps/qm07-calibrator.svg",
              "share/metainfo/qm07-calibrator.metainfo.xml", "share/man/man1/qm07ctl.1.gz",
              "share/man/man1/qm07-calibrator.1.gz", "share/man/man1/qm07r-sim.1.gz",
              "share/bash-completion/completions/qm07ctl"})
            QVERIFY2(r.out.contains(QByteArray(" ./usr/") + file + '\n'), file);
        const Run fields = run("dpkg-deb", {"-f", m_deb, "Version", "Depends", "Maintainer"});
        QVERIFY2(fields.out.startsWith("Version: " QM_VERSION_TEXT "\n"), fields.out);
        QVERIFY2(fields.out.contains("libqt6serialport6"), fields.out); // worked out by shlibdeps
        // A plugin shlibdeps cannot see: without it the history opens nowhere.
        QVERIFY2(fields.out.contains("libqt6sql6-sqlite"), fields.out);
        QVERIFY2(!fields.out.contains("example"), fields.out);
        for (const QString program : {"qm07-calibrator", "qm07ctl", "qm07r-sim"}) {
            const Run v = run(root() + "/usr/bin/" + program, {"--version"});
            QCOMPARE(v.exitCode, 0);
            QCOMPARE(QString::fromUtf8(v.out), program + " " QM_VERSION_TEXT "\n");
        }
        // The calibrator finds the language file installed beside it in share/.
        const QString lang = FindLanguageFile(root() + "/usr/bin");
        QCOMPARE(lang, root() + "/usr/share/qm07-calibrator/qm07r.lang");
        LangTable table;
        QCOMPARE(LoadLanguage(lang, table), 238);
    }

    void lintianFindsNoErrors() {
        if (QStandardPaths::findExecutable("lintian").isEmpty())
            QSKIP("lintian is not installed (scripts/test.sh installs it)");
        const Run r = run("lintian", {"--fail-on", "error", m_deb});
        QVERIFY2(r.exitCode == 0, r.out + r.err);
    }
};

QTEST_GUILESS_MAIN(TestPackage)
#include "test_package.moc"
