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
    SerialLayer& layer = m_w.m_layer;
    Clock& clock = m_w.m_services.clock;
    const int port = layer.CurrentPort;
    // Both are written even when the first fails; the read-back shows what holds.
    const int n =
        EEWriteSingle(layer, clock, port, kDeviceAddress, kAddrZeroCount, N, kEETimeoutMs);
    const int m =
        EEWriteSingle(layer, clock, port, kDeviceAddress, kAddrMultiplier, k, kEETimeoutMs);
    return n == 1 && m == 1;
}

QString MainWindow::ServiceWiring::backUpConstants(QString& error) {
    const BackupResult r =
        BackUpConstants(m_w.m_layer, m_w.m_services.clock, m_w.m_layer.CurrentPort);
    error = r.error;
    return r.ok ? r.path : QString();
}

void MainWindow::ServiceWiring::sendReset() {
    m_w.m_layer.WritePort(m_w.m_layer.CurrentPort, kRequestReset);
}

} // namespace qm
