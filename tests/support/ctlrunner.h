#pragma once
// qm07ctl run as a process. Every COM port leads nowhere except COM5, the
// simulator's link, so that no real port of the machine is touched; the
// user's settings and data folder stay out of it.
#include <QDir>
#include <QProcess>

namespace qm::testing {

struct CtlRun {
    int exitCode = -1;
    QByteArray out, err;
};

// folder holds "config" and "data" (the backups); the variables in unset are removed.
inline QProcessEnvironment CtlEnvironment(const QString& folder, const QString& link,
                                          const QStringList& unset = {}) {
    const QDir dir(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    for (int n = 1; n <= 20; ++n)
        env.insert(QStringLiteral("QM07_PORT_COM%1").arg(n),
                   n == 5 ? link : dir.filePath(QStringLiteral("absent%1").arg(n)));
    for (const QString& name : unset)
        env.remove(name);
    return env;
}

inline CtlRun RunCtl(const QStringList& args, const QString& folder, const QString& link,
                     const QByteArray& input = {}, const QStringList& unset = {}) {
    QProcess p;
    p.setProcessEnvironment(CtlEnvironment(folder, link, unset));
    p.start(QStringLiteral(QM07CTL_PATH), args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(30000)) p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace qm::testing
