// qm07-calibrator: the wizard on the real serial ports, the real clock and the
// user's settings.
#include "app/datafiles.h"
#include "app/frmQORCalibration.h"
#include "app/qtmessagesink.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/serialtransport.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

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
    qm::QtSettingsStore settings;
    qm::SerialTransportFactory transports{qm::PortMap(&settings)};
    const qm::AppServices services{clock,
                                   messages,
                                   settings,
                                   transports,
                                   qm::FindLanguageFile(QCoreApplication::applicationDirPath()),
                                   args.join(u' ')};
    qm::frmQORCalibration window(services);
    messages.setParent(&window);
    QObject::connect(&window, &qm::frmQORCalibration::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    return app.exec();
}
