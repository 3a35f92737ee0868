#include "app/servicewiring.h"

#include "core/hex.h"
#include "device/protocol.h"
#include "sensor/constantsbackup.h"

#include <QLabel>

namespace qm {

void MainWindow::ServiceWiring::showStatus(const std::optional<QString>& text) {
    m_w.showStatus(true);
    if (text) m_w.m_statusText->setText(*text);
}

bool MainWindow::ServiceWiring::writeConstants(double N, double k) {
    DeviceConnection& link = m_w.m_link;
    // Both are written even when the first fails; the read-back shows what holds.
    const int n = link.eeWriteSingle(kDeviceAddress, kAddrZeroCount, N, kEETimeoutMs);
    const int m = link.eeWriteSingle(kDeviceAddress, kAddrMultiplier, k, kEETimeoutMs);
    const QByteArray written =
        SingleBytes(static_cast<float>(N)) + SingleBytes(static_cast<float>(k));
    m_w.recordConstantsWrite(written, m_constantsBackup, ConstantsDifference(link, written));
    return n == 1 && m == 1;
}

QString MainWindow::ServiceWiring::backUpConstants(QString& error) {
    // The history first: nothing is written without knowing where its record goes.
    if (!m_w.ensureHistory()) {
        error = m_w.m_historyStatus.text;
        return {};
    }
    const BackupResult r = BackUpConstants(m_w.m_link, m_w.m_backupFolder);
    error = r.error;
    m_constantsBackup = r.ok ? r.path : QString();
    return m_constantsBackup;
}

void MainWindow::ServiceWiring::sendReset() {
    m_w.m_link.write(kRequestReset);
}

} // namespace qm
