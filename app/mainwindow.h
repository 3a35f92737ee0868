#pragma once
// MainWindow: the calibrator's main window. A three-page wizard (port,
// sensor, curve) with Back/Next/Cancel, a status overlay, the live signal
// display and, in service mode, a right-hand column with the device display
// replica and the system calibration. It shows the calibration session and
// forwards clicks and keys to it; the session owns the state and the work.
#include "app/appservices.h"
#include "app/twips.h"
#include "calibration/calibrationcontext.h"
#include "core/langtable.h"
#include "core/languagefile.h"
#include "service/serviceactions.h"
#include "session/calibrationsession.h"
#include "session/sessionquestions.h"

#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class CurveEvidence;
class CurvePage;
class SystemCalibrationPanel;
class TrendPlot;
class SensorPage;
class ReferenceDialog;
class VerificationPage;

// The design sizes of the window in twips.
inline constexpr int kFormWidth = 5190;
inline constexpr int kFormWidthService = 10225;
inline constexpr int kFormHeight = 6630;
inline constexpr int kStatusHeight = 5535; // the overlay, above the wizard's buttons
// The curve page widens the window by this column of plots.
inline constexpr int kEvidenceWidth = 7200;
inline constexpr int kLoadWidth = 5325;
inline constexpr int kPortListSize = 19;
inline constexpr int kFirstCharsetTrial = 200;

// "QM-07 Calibrator v1.1.51" for version 1.1.51.
QString WindowTitle(int major, int minor, int revision);
// True when the command line (after the program name) asks for service mode.
bool IsServiceCommandLine(const QString& commandLine);
// The port list entry for a stored "ComPort" text: COMn for n in 1..19, else COM1.
int PortIndexForSetting(const QString& stored);

class MainWindow : public QWidget, private SessionQuestions, private ServiceActions {
    Q_OBJECT
  public:
    explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    CalibrationSession& session() { return *m_session; }
    const CalibrationSession& session() const { return *m_session; }
    int serviceLevel() const { return m_serviceLevel; }
    const LangTable& langText() const { return m_lang; }
    ReferenceDialog& referenceDialog() { return *m_referenceDialog; }
    bool ended() const { return m_ended; }
    // A step, a read, a write or a reset is under way: closing waits for it.
    bool busy() const { return m_stepRunning || m_session->busy(); }

  signals:
    // The program ends (Cancel, the last step, or the window closed).
    void programEnded();

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    // What the session asks on the way (mainwindow.cpp).
    BadImageChoice badImage(int group) override;
    bool recordLocally(HistoryStep step, const QString& url) override;
    bool retryBackup(const QString& error, QString& folder) override;
    // What the system calibration column asks.
    double liveDiv() const override;
    QString writeConstants(double N, double k, QString& error) override;
    void resetDevice() override;

    // Start-up, sizes, captions (mainwindow.cpp).
    void buildWindow();
    void activateOnce();
    void centerForm();
    void setFormSize(int widthTwips);
    // The curve page's width: the pages, then as much of the plots' column as
    // the screen has room for. Returns the plots' width in pixels.
    int setCurvePageSize(int pagesTwips);
    // Moves the window back within the screen's available area.
    void keepOnScreen();
    QString caption(int n) const { return m_captions.text(n); }
    // Captions of the caption table from the language table.
    void applyLanguageTexts();
    // Shows the captions as a font of character set cp shows the file's bytes.
    void applyFontCharset(int cp);
    // Why the history failed, in the window's language.
    QString historyProblem() const;

    // The controls (windowlayout.cpp).
    void buildControls();
    void buildHistoryControls();

    // The wizard (wizard.cpp).
    // The page of a step with its buttons as the flow table gives them.
    void showStepPage(WizardStep step);
    void applyButtonCaptions();
    // The control of the page in view where the technician works: Enter there
    // presses Next.
    QWidget* pageFocus() const;
    void focusPage();
    // Runs a button's work under the status overlay.
    void runStep(const WizardMove& move);
    // Does the work and moves the step on when it succeeds; true then.
    bool performAction(const WizardMove& move);
    void onNext();
    void onBack();
    void onCancel();
    // True when no captured point would be lost, or the user lets them go.
    bool mayDiscardCurve();
    void searchForDevice();
    void showPortPage();
    bool connectAndRead();
    bool openCurvePage();
    // Saves the curve and resets the device; true: written, the verification page shows.
    bool finish();
    // Back from the verification page: what it took is recorded, the curve page shows.
    bool returnToCurve();
    // Records the verification (without points: as not verified), says what
    // was stored and offers the certificate.
    void endVerification();
    void showVerificationPoints();
    // CurrentRecord from the pages; false (said) when they cannot make one.
    bool storePages(uint8_t flags);
    // CurrentRecord from the pages with the curve page's flags; false (said) when not.
    bool storePagesForSave();
    // In words what a save did; after a write that stopped midway it offers
    // to put the backup back at once.
    void reportSave(const SaveOutcome& out);
    // Before a write: false (said) when nothing may be written.
    bool historyReady();
    void offerRestore(const SaveReport& report);
    // The operator fields' captions and the sensor's last calibration.
    void showHistoryFields();
    QString unitText() const;
    void onSensorStage(SensorStage stage);
    void onSessionStatus(SessionStatus status, int percent);
    void showStatus(bool visible);
    void updateCalibration();
    // The live display, the trend and the plots, each tick.
    void showLive();
    // The plots and the trend, made when the curve page first opens: they
    // cost start-up time and memory that the other pages do not need.
    void createEvidence();
    void showCurveEvidence();
    void setNavigationLocked(bool locked);
    void endProgram();
    // Ends the program once the work under way is done, when a close was asked for.
    void closeWhenIdle();

    const AppServices m_services;
    const Twips m_tw;

    LangTable m_lang;        // langText(): what messages show
    LanguageFile m_langFile; // the file's bytes, for the character-set trial
    LangTable m_captions;    // the texts as the controls' character set shows them
    int m_charsetTrial = kFirstCharsetTrial;
    int m_serviceLevel = 0;
    int m_formWidth = kFormWidth;

    bool m_activated = false;
    bool m_ended = false;
    bool m_stepRunning = false;
    bool m_closeRequested = false; // closed while busy: ends when the work is done
    bool m_autoCapturing = false;
    QWidget* m_refusedField = nullptr;          // focused after a step that refused what it holds
    WizardStep m_shownStep = WizardStep::Start; // whose page and buttons are in view
    std::array<bool, 4> m_navigationStates{};   // Back, Next, Cancel, search before the lock

    std::unique_ptr<CalibrationSession> m_session;
    CalibrationContext m_calib;
    std::unique_ptr<ReferenceDialog> m_referenceDialog; // loaded once, shown by the curve page

    // Controls, named as in the window layout.
    QGroupBox* m_portGroup = nullptr;
    QComboBox* m_portList = nullptr;
    QPushButton* m_searchButton = nullptr;
    SensorPage* m_sensorPage = nullptr;
    CurvePage* m_curvePage = nullptr;
    VerificationPage* m_verificationPage = nullptr;
    CurveEvidence* m_evidence = nullptr;
    TrendPlot* m_trendPlot = nullptr;
    QFrame* m_liveFrame = nullptr;
    QLabel* m_liveValue = nullptr;
    QLabel* m_curveRangeMark = nullptr;
    QFrame* m_deviceDisplayFrame = nullptr;
    QLabel* m_deviceDisplayValue = nullptr;
    QLabel* m_deviceDisplayDivision = nullptr;
    QLabel* m_deviceDisplayUnit = nullptr;
    SystemCalibrationPanel* m_systemPanel = nullptr;
    QFrame* m_statusFrame = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_operatorLabel = nullptr;
    QLineEdit* m_operatorField = nullptr;
    QLabel* m_referenceLabel = nullptr;
    QLineEdit* m_referenceField = nullptr;
    QLabel* m_referenceULabel = nullptr;
    QLineEdit* m_referenceUField = nullptr;
    QLabel* m_lastCalibrationLabel = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace qm
