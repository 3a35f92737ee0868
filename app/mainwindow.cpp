#include "app/mainwindow.h"

#include "app/historyproblem.h"
#include "app/portpage.h"
#include "app/readreport.h"
#include "calibration/curvepage.h"
#include "calibration/referencedialog.h"
#include "calibration/sensorpage.h"
#include "calibration/verificationpage.h"
#include "core/filechooser.h"
#include "core/messages.h"
#include "core/numformat.h"
#include "core/settings.h"
#include "device/transport.h"
#include "records/databaseurl.h"
#include "service/systemcalibration.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace qm {

QString WindowTitle(int major, int minor, int revision) {
    return QStringLiteral("QM-07 Calibrator v%1.%2.%3").arg(major).arg(minor).arg(revision);
}

bool IsServiceCommandLine(const QString& commandLine) {
    return commandLine.trimmed().toLower() == QLatin1String("savant");
}

int PortIndexForSetting(const QString& stored) {
    // Read as the original read it: the leading number, 0 when there is none.
    const double n = ValDot(stored);
    return n >= 1 && n <= kPortListSize ? static_cast<int>(n) - 1 : 0;
}

namespace {

double screenDpi() {
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->logicalDotsPerInch() : 96.0;
}

void setCaption(QWidget* w, const QString& text) {
    if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
}

// The captions that the language file gives, in the order they are set.
struct CaptionEntry {
    const char* control;
    int text;
};
constexpr CaptionEntry kCaptions[] = {
    {"lblLimitWarning", 15},
    {"lblPortPopis", 1},
    {"lblSnimacPopis", 13},
    {"cmdSCANQM07", 2},
    {"cmdBack", 3},
    {"cmdNext", 4},
    {"cmdCancel", 5},
    {"Label2", 9},
    {"Label6", 10},
    {"Label112", 11},
    {"Label110", 12},
    {"Label9", 14},
    {"lblLimitWarning", 15},
    {"Label111", 16},
    {"fraCURVE", 19},
    {"cmdListAction0", 24},
    {"cmdListAction1", 23},
    {"cmdListAction2", 25},
    {"cmdSCAN", 22},
    // The service column.
    {"fraQORSETUP", kTextSystemCalibration},
    {"lblSKNula", kTextZeroCount},
    {"cmdSKSave", kTextWriteConstants},
    {"cmdSKSetNula", kTextSetZero},
    {"lblDisplayCaption", kTextDisplay},
    {"lblDilky", kTextDivisions},
};

} // namespace

MainWindow::MainWindow(const AppServices& services, QWidget* parent)
    : QWidget(parent), m_services(services), m_tw(screenDpi()),
      m_session(std::make_unique<CalibrationSession>(
          services.clock, services.transports, services.settings,
          static_cast<SessionQuestions&>(*this), &services.messages)),
      m_calib{m_session->sensor(), m_session->curve(), m_lang, services.messages, services.clock},
      m_referenceDialog(std::make_unique<ReferenceDialog>(services.messages, m_lang)) {
    setObjectName(QStringLiteral("frmQORCalibration"));
    buildControls();
    CalibrationSession* const session = m_session.get();
    connect(session, &CalibrationSession::liveUpdated, this, &MainWindow::showLive);
    connect(session, &CalibrationSession::busyChanged, this, &MainWindow::setNavigationLocked);
    connect(session, &CalibrationSession::stageReached, this, &MainWindow::onSensorStage);
    connect(session, &CalibrationSession::statusChanged, this, &MainWindow::onSessionStatus);
    connect(session, &CalibrationSession::readFailed, this, [this](int result, ReadGap gap) {
        const QString failure = ReadFailureText(m_lang, result, m_session->link().port(), gap);
        if (!failure.isEmpty()) m_services.messages.critical(failure);
    });
    connect(session, &CalibrationSession::recordNotStored, this, [this] {
        m_services.messages.critical(
            m_lang.text(kTextNotRecorded).arg(m_session->historyUrl(), historyProblem()));
    });
    connect(m_nextButton, &QPushButton::clicked, this, &MainWindow::onNext);
    connect(m_backButton, &QPushButton::clicked, this, &MainWindow::onBack);
    connect(m_cancelButton, &QPushButton::clicked, this, &MainWindow::onCancel);
    connect(m_searchButton, &QPushButton::clicked, this, &MainWindow::searchForDevice);
    connect(m_curvePage, &CurvePage::pointCaptured, session,
            &CalibrationSession::notePointCaptured);
    for (QWidget* w : findChildren<QWidget*>(QStringLiteral("Label2")))
        w->installEventFilter(this);
    buildWindow();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    m_activated = false;
    centerForm();
    m_session->curve().Reset();
    setFormSize(kLoadWidth);
    m_serviceLevel = 0;
    m_sensorPage->averagingLabel()->setVisible(true);
    if (IsServiceCommandLine(m_services.commandLine)) {
        m_sensorPage->setServiceControlsVisible();
        m_serviceLevel = 2;
    }
    setWindowTitle(WindowTitle(QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_PATCH));
    const int charset = LoadLanguage(m_services.languagePath, m_lang, &m_langFile);
    if (charset > 0) applyFontCharset(charset);
    applyLanguageTexts();
    centerForm();
    FillPortList(*m_portList, m_services.transports, kPortListSize);
    m_referenceDialog->cmdOK(1)->setText(caption(5));
    m_referenceDialog->setWindowTitle(m_lang.text(kTextDialogTitle));
    m_systemPanel->showTexts();
    m_sensorPage->descriptionField()->setText(m_session->sensor().CurrentRecord.Description);
    // The averaging and range lists fill themselves with the sensor page.
    m_curvePage->pointList()->clear();
}

void MainWindow::activateOnce() {
    if (m_activated) return;
    m_activated = true;
    m_sensorPage->move(m_tw(120), m_tw(240));
    m_portGroup->move(m_tw(120), m_tw(240));
    m_statusFrame->move(0, 0);
    m_charsetTrial = kFirstCharsetTrial;
    performAction(wizardRow(WizardStep::Start).next);
}

void MainWindow::centerForm() {
    const QScreen* s = screen();
    if (!s) return;
    const QRect r = s->geometry();
    move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
}

void MainWindow::setFormSize(int widthTwips) {
    m_formWidth = widthTwips;
    setFixedSize(m_tw(widthTwips), m_tw(kFormHeight));
    keepOnScreen();
}

int MainWindow::setCurvePageSize(int pagesTwips) {
    int plots = m_tw(kEvidenceWidth);
    if (const QScreen* s = screen()) {
        const int decorations = frameGeometry().width() - width();
        plots =
            std::clamp(s->availableGeometry().width() - decorations - m_tw(pagesTwips), 0, plots);
    }
    m_formWidth = pagesTwips + kEvidenceWidth;
    setFixedSize(m_tw(pagesTwips) + plots, m_tw(kFormHeight));
    keepOnScreen();
    return plots;
}

void MainWindow::keepOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QRect frame = frameGeometry();
    const int x = std::max(room.left(), std::min(frame.left(), room.right() + 1 - frame.width()));
    const int y = std::max(room.top(), std::min(frame.top(), room.bottom() + 1 - frame.height()));
    if (x != frame.left() || y != frame.top()) move(x, y);
}

void MainWindow::applyLanguageTexts() {
    for (const CaptionEntry& c : kCaptions) {
        const QString name = QLatin1String(c.control);
        if (objectName() == name) continue;
        for (QWidget* w : findChildren<QWidget*>(name))
            setCaption(w, caption(c.text));
    }
}

void MainWindow::applyFontCharset(int cp) {
    m_captions.clear();
    FillLanguageTable(m_langFile, cp, m_captions);
    applyLanguageTexts();
    // The wizard's buttons follow the same set.
    if (m_activated) applyButtonCaptions();
}

void MainWindow::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    activateOnce();
}

void MainWindow::closeEvent(QCloseEvent* e) {
    // The close box asks as Esc does before captured points are lost.
    if (!m_ended && !busy() && !mayDiscardCurve()) {
        e->ignore();
        return;
    }
    // Ending the program ends every wait of an exchange at once, and the rest
    // of a write would run without them: a busy window closes when it is done.
    if (!m_ended && busy()) {
        e->ignore();
        m_closeRequested = true;
        m_statusText->setText(m_lang.text(kTextClosesAfterWrite));
        showStatus(true);
        return;
    }
    QWidget::closeEvent(e);
    m_session->link().close();
    endProgram();
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_F5:
        // Only where the captured point can be seen, and not while a step runs.
        if (busy()) return;
        if (m_curvePage->isVisible()) m_curvePage->capture();
        if (m_verificationPage->isVisible()) m_verificationPage->capture();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        // Enter presses the focused button, else the default one.
        auto* focused = qobject_cast<QAbstractButton*>(focusWidget());
        (focused ? focused : m_nextButton)->click();
        return;
    }
    case Qt::Key_Escape:
        m_cancelButton->click();
        return;
    default:
        QWidget::keyPressEvent(e);
    }
}

void MainWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    // Only the window's own background, not a frame or a control on it.
    if (childAt(e->position().toPoint()) != nullptr) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    applyFontCharset(m_charsetTrial);
    ++m_charsetTrial;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonPress && watched->objectName() == QLatin1String("Label2")) {
        const auto* me = static_cast<QMouseEvent*>(e);
        const auto mods =
            me->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        if (me->button() == Qt::RightButton && mods == Qt::ControlModifier) m_serviceLevel = 2;
    }
    return QWidget::eventFilter(watched, e);
}

BadImageChoice MainWindow::badImage(int group) {
    return BadImageAnswer(m_services.messages.show(BadImageQuestion(m_lang, group)));
}

bool MainWindow::recordLocally(HistoryStep step, const QString& url) {
    // Before anything is written the whole write may go to the local file;
    // once bytes went out only its outcome can.
    const int text = step == HistoryStep::Finish ? kTextOutcomeToLocal : kTextHistoryUnreachable;
    return m_services.messages.confirm(m_lang.text(text).arg(
        url, HistoryProblemText(m_lang, url, m_session->historyStatus()), LocalDatabaseUrl()));
}

bool MainWindow::retryBackup(const QString& error, QString& folder) {
    FileChooser* const files = m_services.files;
    const QString text = m_lang.text(kTextNoBackup).arg(error) + QStringLiteral("\n\n") +
                         m_lang.text(kTextChooseBackupFolder);
    const MsgButton b = m_services.messages.show(
        {text, MsgIcon::Critical, (files ? MsgYes : 0) | MsgRetry | MsgCancel, MsgCancel});
    if (b == MsgRetry) return true;
    if (b != MsgYes || !files) return false;
    const QString start = folder.isEmpty() ? QDir::homePath() : folder;
    const QString chosen = files->chooseFolder(m_lang.text(kTextBackupFolderTitle), start);
    if (chosen.isEmpty()) return false;
    folder = chosen; // for the rest of this run
    return true;
}

QString MainWindow::historyProblem() const {
    return HistoryProblemText(m_lang, m_session->historyUrl(), m_session->historyStatus());
}

double MainWindow::liveDiv() const {
    const LiveReading& live = m_session->live();
    return live.valid ? live.div : qQNaN();
}

QString MainWindow::writeConstants(double N, double k, QString& error) {
    const ConstantsOutcome out = m_session->writeConstants(N, k);
    switch (out.stopped) {
    case ConstantsOutcome::NoHistory:
        error = historyProblem();
        break;
    case ConstantsOutcome::NoBackup:
        error = out.backupError;
        break;
    case ConstantsOutcome::NotStarted:
        error = m_lang.text(kTextNotStarted).arg(m_session->historyUrl(), historyProblem());
        break;
    case ConstantsOutcome::None:
        break;
    }
    return out.backupPath;
}

void MainWindow::resetDevice() {
    m_session->resetDevice();
}

} // namespace qm
