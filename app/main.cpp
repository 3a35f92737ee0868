// qm07-calibrator: the wizard on the real serial ports, the real clock and the
// user's settings.
#include "app/closeonsignal.h"
#include "app/mainwindow.h"
#include "app/qtfilechooser.h"
#include "app/qtmessagesink.h"
#include "core/clock.h"
#include "core/datafiles.h"
#include "core/settings.h"
#include "device/serialtransport.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

namespace {

// QM07_COMPORT=n selects COMn on the port page for this run, as QM07_PORT_COMn
// maps a port: a simulator is reached without touching the user's settings.
class PortFromEnvironment final : public qm::SettingsStore {
  public:
    explicit PortFromEnvironment(qm::SettingsStore& inner) : m_inner(inner) {}
    QString value(const QString& section, const QString& key,
                  const QString& fallback) const override {
        const QString port = qEnvironmentVariable("QM07_COMPORT").trimmed();
        if (!port.isEmpty() && section == QLatin1String("Default") &&
            key == QLatin1String("ComPort"))
            return port;
        return m_inner.value(section, key, fallback);
    }
    void setValue(const QString& section, const QString& key, const QString& value) override {
        m_inner.setValue(section, key, value);
    }

  private:
    qm::SettingsStore& m_inner;
};

} // namespace

int main(int argc, char* argv[]) {
    // Answered before any window system is needed.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("qm07-calibrator %s\n", QM_VERSION_TEXT);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: qm07-calibrator [savant]\n"
                    "The QM-07 Calibrator: a wizard that configures and calibrates a sensor on a\n"
                    "QM-07R. \"savant\" opens the service mode. See qm07-calibrator(1).\n");
        return 0;
    }
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    qm::RealClock clock;
    qm::QtMessageSink messages;
    qm::QtFileChooser files;
    qm::QtSettingsStore userSettings;
    PortFromEnvironment settings(userSettings);
    qm::SerialTransportFactory transports{qm::PortMap(&settings)};
    const qm::AppServices services{clock,
                                   messages,
                                   settings,
                                   transports,
                                   qm::FindLanguageFile(QCoreApplication::applicationDirPath()),
                                   args.join(u' '),
                                   &files};
    qm::MainWindow window(services);
    messages.setParent(&window);
    files.setParent(&window);
    messages.setLanguage(&window.langText());
    QObject::connect(&window, &qm::MainWindow::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    qm::CloseOnTerminationSignals(window);
    window.show();
    return app.exec();
}
