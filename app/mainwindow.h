#pragma once
// MainWindow: the calibrator's main window. A three-page wizard (port,
// sensor, curve) with Back/Next/Cancel, a status overlay, the live signal
// display and, in service mode, a right-hand column with the device display
// replica and the system calibration. The window owns the session state.
#include "app/appservices.h"
#include "app/language.h"
#include "app/twips.h"
#include "app/wizardflow.h"
#include "calibration/calibrationcontext.h"
#include "calibration/curvepage.h"
#include "calibration/stability.h"
#include "calibration/workingcurve.h"
#include "core/langtable.h"
#include "device/deviceconnection.h"
#include "device/protocol.h"
#include "records/calibrationrecord.h"
#include "records/recordedwrite.h"
#include "records/recordstore.h"
#include "sensor/reader.h"
#include "sensor/sensorrecord.h"
#include "sensor/writer.h"

#include <QStringList>
#include <QTimer>
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
struct RestoreResult;
class SystemCalibrationPanel;
class TrendPlot;
class SensorPage;
class ReferenceDialog;

// The design sizes of the window in twips.
inline constexpr int kFormWidth = 5190;
inline constexpr int kFormWidthService = 10225;
inline constexpr int kFormHeight = 6630;
inline constexpr int kStatusHeight = 5535; // the overlay, above the wizard's buttons
// The curve page widens the window by this column of plots.
inline constexpr int kEvidenceWidth = 7200;
inline constexpr int kLoadWidth = 5325;
inline constexpr int kLiveIntervalMs = 150;
inline constexpr int kPortListSize = 19;
inline constexpr int kFirstCharsetTrial = 200;

// "QM-07 Calibrator v1.1.51" for version 1.1.51.
QString WindowTitle(int major, int minor, int revision);
// True when the command line (after the program name) asks for service mode.
bool IsServiceCommandLine(const QString& commandLine);
// The port list entry for a stored "ComPort" text: COMn for n in 1..19, else COM1.
int PortIndexForSetting(const QString& stored);

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // State the other parts read.
    WizardStep wizardStep() const { return m_wizardStep; }
    int serviceLevel() const { return m_serviceLevel; }
    int charsetTrial() const { return m_charsetTrial; }
    double liveDiv() const { return m_liveDiv; }
    double liveSignal() const { return m_liveSignal; }
    double liveDisplay() const { return m_liveDisplay; }
    const StabilityDetector& stability() const { return m_stability; }
    bool liveValid() const { return m_liveValid; }
    const LangTable& langText() const { return m_lang; }
    const SensorSession& session() const { return m_session; }
    const WorkingCurve& curve() const { return m_curve; }
    ReferenceDialog& referenceDialog() { return *m_referenceDialog; }
    DeviceConnection& serial() { return m_link; }
    bool ended() const { return m_ended; }
    // A step, a read, a write or a reset is under way: closing waits for it.
    bool busy() const { return m_stepRunning || m_navigationLocks > 0; }
    QTimer& liveTimer() { return m_timer; }

    // Captions of the caption table from the language table.
    void applyLanguageTexts();
    // Shows the captions as a font of character set cp shows the file's bytes.
    void applyFontCharset(int cp);

    void disableNavigation();
    void enableNavigation();

    // The live display tick; the timer calls it every 150 ms.
    void onLiveTick();

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
    // Start-up and the first activation.
    void buildWindow();
    void activateOnce();
    void buildControls();
    void centerForm();
    void setFormSize(int widthTwips);
    // The curve page's width: the pages, then as much of the plots' column as
    // the screen has room for. Returns the plots' width in pixels.
    int setCurvePageSize(int pagesTwips);
    // Moves the window back within the screen's available area.
    void keepOnScreen();
    // The control of the page in view where the technician works: Enter there
    // presses Next.
    QWidget* pageFocus() const;
    void focusPage();
    QString caption(int n) const { return m_captions.text(n); }

    // The wizard.
    // The page of a step with its buttons as the flow table gives them.
    void showStepPage(WizardStep step);
    void applyButtonCaptions();
    // Runs a button's work under the status overlay.
    void runStep(const WizardMove& move);
    // Does the work and moves the step on when it succeeds; true then.
    bool performAction(const WizardMove& move);
    void showPortPage();
    void onNext();
    void onBack();
    void onCancel();
    // True when no captured point would be lost, or the user lets them go.
    bool mayDiscardCurve();
    void searchForDevice();
    bool connectAndRead();
    ReadContext readContext();
    int readAll();
    int saveSensor(bool onlyIfChanged, SaveReport* report = nullptr);
    // The status line's share of a write done, in percent.
    WriteProgress writeProgress();
    // Tells the user in words what a save did; after a write that stopped
    // midway it offers to put the backup back at once.
    void reportSave(const SaveReport& report);
    void offerRestore(const SaveReport& report);
    bool openCurvePage();
    void finish();

    // The calibration history (recordedwrites.cpp).
    void buildHistoryControls();
    // Opens the configured history once; false (status kept) when it cannot be.
    bool openHistoryQuietly();
    // Before a write: the history is open, or the technician agreed to record
    // into the local file instead. false: nothing may be written.
    bool ensureHistory();
    // A write's record is stored as started before its first byte: false
    // when it cannot be (said so, or the words in *why), and then nothing may be written.
    bool beginRecord(CalibrationRecord& rec, QString* why = nullptr);
    // When the history went away during a write: offers the local file for its outcome.
    LocalFallback askOutcomeToLocal();
    // A finished record becomes m_lastRecord; one that could not be stored is said.
    bool recorded(const CalibrationRecord& rec, const DatabaseStatus& status);
    // A begun record whose write sent nothing (unchanged, no backup) goes again.
    void dropRecord(const CalibrationRecord& rec);
    // What the curve knows beyond the record (the read-back reloads it).
    CurveFacts curveFacts() const;
    // Why the history (at url) failed, from m_historyStatus, in the window's language.
    QString historyProblem(const QString& url) const;
    // A record of this bench made now, of the device read.
    CalibrationRecord newRecord(RecordKind kind) const;
    // The outcome of a begun block write, failed ones too.
    void recordBlockWrite(CalibrationRecord& rec, const SaveReport& report,
                          const CurveFacts& facts);
    // The backup put back after a write that stopped midway.
    void recordRestore(CalibrationRecord& rec, const QByteArray& backup, const QString& backupPath,
                       const RestoreResult& back);
    void recordConstantsWrite(CalibrationRecord& rec, const QByteArray& written,
                              int firstDifference);
    // The block could not be backed up: another folder, the same again, or
    // nothing. true: try again (m_backupFolder may have changed).
    bool retryBackup(const QString& error);
    QString recordedText() const;
    // The last message of a calibration, offering its certificate as a PDF.
    void offerCertificate(const QString& text);
    // The operator fields' captions and the sensor's last calibration.
    void showHistoryFields();
    QString unitText() const;
    void endProgram();
    // Ends the program once the work under way is done, when a close was asked for.
    void closeWhenIdle();
    void capture();

    // The live evidence (liveevidence.cpp).
    // The plots and the trend, made when the curve page first opens: they
    // cost start-up time and memory that the other pages do not need.
    void createEvidence();
    void loadEvidenceSettings();
    // Each tick: the detector, the trend and the live marker; nullopt for no reading.
    void showLiveEvidence(const std::optional<Measurement>& m);
    std::optional<CurvePage::CaptureWindow> captureWindow() const;
    void autoCaptureIfDue();
    // Shows the curve's list, plots and linearity column as they now stand.
    void showCurveEvidence();

    // What reading and saving show on the window, stage by stage.
    void onSensorStage(SensorStage stage);
    void showStatus(bool visible);
    void updateCalibration();

    // What the system calibration column asks of the window.
    class ServiceWiring;
    friend class ServiceWiring;

    const AppServices m_services;
    const Twips m_tw;

    LangTable m_lang;        // langText(): what messages show
    LanguageFile m_langFile; // the file's bytes, for the character-set trial
    LangTable m_captions;    // the texts as the controls' character set shows them
    int m_fontCharset = 0;   // 0: none applied

    bool m_activated = false;
    bool m_ended = false;
    QStringList m_backups;  // blocks saved before this run's writes, for the final message
    QString m_backupFolder; // picked when the default took no backup; empty: the default
    std::unique_ptr<RecordStore> m_history;
    DatabaseStatus m_historyStatus; // of the last open
    CalibrationRecord m_lastRecord; // the last one added, for its certificate
    QString m_deviceIdent;          // the device's identification reply
    bool m_stepRunning = false;
    bool m_closeRequested = false; // closed while busy: ends when the work is done
    bool m_pointCaptured = false;  // on this visit of the curve page: its write is a calibration
    bool m_unsavedCurve = false;   // the last step's write failed: the points are not stored
    QWidget* m_refusedField = nullptr;        // focused after a step that refused what it holds
    int m_navigationLocks = 0;                // disableNavigation calls not yet undone
    std::array<bool, 4> m_navigationStates{}; // Back, Next, Cancel, search before the first
    int m_serviceLevel = 0;
    WizardStep m_wizardStep = WizardStep::Start;
    int m_charsetTrial = kFirstCharsetTrial;
    int m_formWidth = kFormWidth;
    WizardStep m_shownStep = WizardStep::Start; // whose page and buttons are in view

    double m_liveDiv = 0;
    double m_liveSignal = 0;
    double m_liveDisplay = 0;
    bool m_liveValid = false; // the latest reply was a reading
    StabilityDetector m_stability;
    bool m_autoCapture = false;     // a settled new level opens the reference dialog
    bool m_autoCaptureArmed = true; // false from an auto-capture until the signal moves
    bool m_autoCapturing = false;

    QTimer m_timer;
    DeviceConnection m_link; // the connection to the device
    SensorSession m_session; // the records read from the device and the sensor
    WorkingCurve m_curve;
    CalibrationContext m_calib;
    std::unique_ptr<ReferenceDialog> m_referenceDialog; // loaded once, shown by the curve page
    std::unique_ptr<ServiceWiring> m_serviceWiring;

    // Controls, named as in the window layout.
    QGroupBox* m_portGroup = nullptr;
    QLabel* m_portCaption = nullptr;
    QComboBox* m_portList = nullptr;
    QPushButton* m_searchButton = nullptr;
    SensorPage* m_sensorPage = nullptr;
    CurvePage* m_curvePage = nullptr;
    CurveEvidence* m_evidence = nullptr;
    TrendPlot* m_trendPlot = nullptr;
    QFrame* m_liveFrame = nullptr;
    QLabel* m_liveValue = nullptr;
    QLabel* m_liveUnit = nullptr;
    QLabel* m_curveRangeMark = nullptr;
    QFrame* m_deviceDisplayFrame = nullptr;
    QLabel* m_deviceDisplayValue = nullptr;
    QLabel* m_deviceDisplayDivision = nullptr;
    QLabel* m_deviceDisplayUnit = nullptr;
    SystemCalibrationPanel* m_systemPanel = nullptr;
    QFrame* m_statusFrame = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* operatorLabel = nullptr;
    QLineEdit* operatorField = nullptr;
    QLabel* referenceLabel = nullptr;
    QLineEdit* referenceField = nullptr;
    QLabel* lastCalibrationLabel = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace qm
