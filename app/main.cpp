// qm07-calibrator: the wizard on the real serial ports, the real clock and the
// user's settings.
#include "app/closeonsignal.h"
#include "app/frmQORCalibration.h"
#include "app/qtmessagesink.h"
#include "core/clock.h"
#include "core/settings.h"
#include "device/serialtransport.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    qm::RealClock clock;
    qm::QtMessageSink messages;
    qm::QtSettingsStore settings;
    qm::SerialTransportFactory transports{qm::PortMap(&settings)};
    const qm::AppServices services{
        clock,
        messages,
        settings,
        transports,
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("qm07r.lang")),
        args.join(u' ')};
    qm::frmQORCalibration window(services);
    messages.setParent(&window);
    QObject::connect(&window, &qm::frmQORCalibration::programEnded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    qm::CloseOnTerminationSignals(window);
    window.show();
    return app.exec();
}
