#include "sim/simprocess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace qm {

SimProcess::SimProcess(QString exe) : m_exe(std::move(exe)) {
    if (m_exe.isEmpty())
        m_exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qm07r-sim"));
}

SimProcess::~SimProcess() {
    stop();
}

bool SimProcess::start(const QString& link, const QStringList& args, QString* error,
                       int timeoutMs) {
    m_process.setProgram(m_exe);
    m_process.setArguments(QStringList{QStringLiteral("--link"), link} + args);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        *error = QStringLiteral("cannot start %1: %2").arg(m_exe, m_process.errorString());
        return false;
    }
    // The first line of its output is the pty's path, printed once the link exists.
    while (!m_process.canReadLine()) {
        if (!m_process.waitForReadyRead(timeoutMs)) {
            *error = QStringLiteral("qm07r-sim did not start: ") +
                     QString::fromLocal8Bit(m_process.readAllStandardError());
            stop();
            return false;
        }
    }
    m_slave = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (QFileInfo(link).symLinkTarget() != m_slave) {
        *error = QStringLiteral("qm07r-sim did not publish %1").arg(link);
        stop();
        return false;
    }
    return true;
}

void SimProcess::stop() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

void SimProcess::setSignal(double mvPerV) {
    m_process.write(QByteArray::number(mvPerV, 'g', 9) + '\n');
    m_process.waitForBytesWritten(1000);
}

} // namespace qm
