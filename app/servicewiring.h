#pragma once
// The main window as the system calibration column sees it: the live count and
// timer, the navigation buttons, the status overlay and the device exchanges.
#include "app/mainwindow.h"
#include "service/serviceactions.h"

namespace qm {

class MainWindow::ServiceWiring final : public ServiceActions {
  public:
    explicit ServiceWiring(MainWindow& w) : m_w(w) {}
    double liveDiv() const override { return m_w.m_liveValid ? m_w.m_liveDiv : qQNaN(); }
    void stopLive() override { m_w.m_timer.stop(); }
    void startLive() override { m_w.m_timer.start(); }
    void disableNavigation() override { m_w.disableNavigation(); }
    void enableNavigation() override { m_w.enableNavigation(); }
    void showStatus(const std::optional<QString>& text) override;
    void hideStatus() override { m_w.showStatus(false); }
    bool writeConstants(double N, double k) override;
    QString backUpConstants(QString& error) override;
    void sendReset() override;
    void readAll() override { m_w.readAll(); }

  private:
    MainWindow& m_w;
    CalibrationRecord m_constantsRecord; // of the write under way, begun with its backup
};

} // namespace qm
