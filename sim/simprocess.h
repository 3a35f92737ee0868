#pragma once
// Starts qm07r-sim as a child process and waits until its link is published;
// for the integration tests and the benchmark.
#include <QProcess>
#include <QString>
#include <QStringList>

namespace qm {

class SimProcess {
  public:
    // exe defaults to qm07r-sim beside the running program.
    explicit SimProcess(QString exe = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Runs the simulator with --link link and the extra arguments.
    bool start(const QString& link, const QStringList& args, QString* error, int timeoutMs = 5000);
    // SIGTERM, then a wait; a simulator that has already ended is fine.
    void stop();
    // A line of signal (mV/V) on its standard input.
    void setSignal(double mvPerV);
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    bool waitForExit(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }
    QString slavePath() const { return m_slave; }
    QByteArray errorOutput() { return m_process.readAllStandardError(); }

  private:
    QString m_exe;
    QProcess m_process;
    QString m_slave;
};

} // namespace qm
