#include "app/servicewiring.h"

#include "device/protocol.h"
#include "sensor/constantsbackup.h"

#include <QLabel>

namespace qm {

void MainWindow::ServiceWiring::showStatus(const std::optional<QString>& text) {
    m_w.showStatus(true);
    if (text) m_w.lblStatus->setText(*text);
}

bool MainWindow::ServiceWiring::writeConstants(double N, double k) {
    DeviceConnection& link = m_w.m_layer;
    // Both are written even when the first fails; the read-back shows what holds.
    const int n = link.eeWriteSingle(kDeviceAddress, kAddrZeroCount, N, kEETimeoutMs);
    const int m = link.eeWriteSingle(kDeviceAddress, kAddrMultiplier, k, kEETimeoutMs);
    return n == 1 && m == 1;
}

QString MainWindow::ServiceWiring::backUpConstants(QString& error) {
    const BackupResult r = BackUpConstants(m_w.m_layer);
    error = r.error;
    return r.ok ? r.path : QString();
}

void MainWindow::ServiceWiring::sendReset() {
    m_w.m_layer.write(kRequestReset);
}

} // namespace qm
