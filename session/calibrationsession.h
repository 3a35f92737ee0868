#pragma once
// CalibrationSession: one calibration at the bench, without widgets. It owns
// the connection to the device, what was read from the device and the sensor,
// the working curve with each point's spread, the live reading and its
// stability watch, the calibration history and the wizard's step. A front end
// calls its operations and words what they report; what a step must ask on
// the way goes through SessionQuestions. It never words a message.
#include "calibration/stability.h"
#include "calibration/verification.h"
#include "calibration/workingcurve.h"
#include "device/deviceconnection.h"
#include "device/discovery.h"
#include "records/calibrationrecord.h"
#include "records/recordedwrite.h"
#include "records/recordstore.h"
#include "sensor/reader.h"
#include "sensor/restoreblock.h"
#include "sensor/sensorrecord.h"
#include "sensor/writer.h"
#include "session/livesettings.h"
#include "session/wizardflow.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

namespace qm {

class Clock;
class MessageSink;
class SessionQuestions;
class SettingsStore;
class TransportFactory;
struct PageRecord;
struct SensorPageValues;

inline constexpr int kLiveIntervalMs = 150;

// A level taken from the live signal for a verification point.
struct CapturedReading {
    double signal = 0;    // mV/V
    double indicated = 0; // the device's displayed value
    double sdMean = 0;    // standard deviation of the mean of the displayed value
};

// The latest answer of the live poll.
struct LiveReading {
    bool valid = false; // the latest reply was a reading
    double div = 0;     // raw converter count
    double signal = 0;  // mV/V
    double display = 0; // the device's displayed value
};

// What the overlay over the pages shows while the session works.
enum class SessionStatus { Hidden, PleaseWait, Storing };

// How the history stands before a write.
enum class HistoryReady { Open, Declined, LocalFailed };

struct ConnectOutcome {
    ConnectResult connect = ConnectResult::NoDevice;
    int openError = 0;  // the transport's code when the port did not open
    int readResult = 0; // ReadAll's result once connected; <= -1: the read failed
};

// A save of the sensor's memory and what became of its record.
struct SaveOutcome {
    SaveReport report;
    bool started = true; // false: its record could not be begun, nothing was written
};

// A backup put back after a write that stopped midway.
struct RestoreOutcome {
    bool started = true; // false: its record could not be begun, nothing was written
    RestoreResult result;
};

enum class FinishResult { NoHistory, SaveFailed, Done };

// The amplifier's constants written: the backup's path, or why nothing was written.
struct ConstantsOutcome {
    enum Stopped { None, NoHistory, NoBackup, NotStarted } stopped = None;
    QString backupPath;
    QString backupError; // with NoBackup
    bool acknowledged = false;
};

class CalibrationSession : public QObject {
    Q_OBJECT
  public:
    CalibrationSession(Clock& clock, TransportFactory& transports, SettingsStore& settings,
                       SessionQuestions& questions, MessageSink* portErrors = nullptr,
                       QObject* parent = nullptr);
    ~CalibrationSession() override;

    // The state a front end shows.
    const SensorSession& sensor() const { return m_sensor; }
    SensorSession& sensor() { return m_sensor; }
    const WorkingCurve& curve() const { return m_curve; }
    WorkingCurve& curve() { return m_curve; }
    DeviceConnection& link() { return m_link; }
    const QString& deviceIdent() const { return m_deviceIdent; }
    WizardStep step() const { return m_step; }
    void setStep(WizardStep step) { m_step = step; }
    // Device work (a read, a write, a reset) is under way.
    bool busy() const { return m_busy > 0; }

    // Connects to port (1..20), identifies the device, stores the port and reads everything.
    ConnectOutcome connectAndRead(int port);
    // Asks every port for the device: its port (1..20), or 0 when none answers.
    int findDevice();
    // Reads the device and the sensor again; a failure is reported by readFailed.
    int readAll();

    // The live poll.
    QTimer& liveTimer() { return m_liveTimer; }
    void startLive() { m_liveTimer.start(); }
    void stopLive() { m_liveTimer.stop(); }
    // One tick: the answer to the last request, the next request, the stability.
    void pollLive();
    const LiveReading& live() const { return m_live; }
    const StabilityDetector& stability() const { return m_stability; }
    // The window of the stability watch while it holds current readings.
    std::optional<CaptureWindow> captureWindow() const;
    // Once per settled new level, when the settings ask for it.
    bool autoCaptureDue();

    // The curve page opens: its settings, a fresh watch, the poll on.
    void openCurve();
    // A point was taken from the live signal on this visit of the curve page.
    void notePointCaptured() { m_pointCaptured = true; }
    // Points on the page that the sensor does not hold would be lost.
    bool curveUnsaved() const;
    // CurrentRecord from the sensor page's values and the curve, sorted.
    PageRecord storeRecord(const SensorPageValues& values, uint8_t flags);

    // The history: opened as configured, or the local file when the front end agrees.
    HistoryReady ensureHistory();
    bool openHistoryQuietly();
    const DatabaseStatus& historyStatus() const { return m_historyStatus; }
    QString historyUrl() const;
    // The sensor's latest calibration.
    DatabaseStatus latestCalibration(const QString& serial, CalibrationRecord& out);
    // The last record this session stored (id 0: none).
    const CalibrationRecord& lastRecord() const { return m_lastRecord; }
    const QStringList& backups() const { return m_backups; }

    // Writes CurrentRecord into the sensor, its record begun first.
    SaveOutcome save(bool onlyIfChanged);
    // Puts the backup at backupPath back into its block.
    RestoreOutcome restoreBackup(const QString& backupPath);
    // The last step: the history, every byte saved, the device reset.
    FinishResult finish(SaveOutcome* outcome = nullptr);
    // Backs up N and k, writes both, resets the device and reads it again.
    ConstantsOutcome writeConstants(double N, double k);
    // "$00X": the device restarts and loads its configuration; the poll stays off.
    void resetDevice();

    // The verification after a write (sessionverify.cpp): the device's own
    // reading at reference loads, judged against the tolerance.
    void openVerification();
    // The verification page is open: leaving it records what it holds.
    bool verificationOpen() const { return m_verificationOpen; }
    void addVerificationPoint(double reference, const CapturedReading& reading);
    // Lets the points go: the verification is then recorded as not verified.
    void dropVerificationPoints() { m_verification.clear(); }
    // Back to the curve after a verification: what was taken happened, passed
    // or failed, and is recorded; without points nothing is, and the next
    // write asks for a verification again. The curve is watched afresh.
    void backToCurve();
    const std::vector<VerificationPoint>& verificationPoints() const { return m_verification; }
    VerificationInputs verificationInputs() const;
    VerificationSummary verificationSummary() const;
    // Stores the verification, linked to the calibration just written; after
    // a calibration, one without points as not verified (after a write of
    // the settings alone nothing is stored then). false when it could not be
    // stored (recordNotStored says so). The points are let go either way.
    bool recordVerification();
    // The last verification stored (id 0: none).
    const CalibrationRecord& lastVerification() const { return m_lastVerification; }

  signals:
    void busyChanged(bool busy);
    void statusChanged(SessionStatus status, int percent);
    void stageReached(SensorStage stage);
    // A read failed with ReadAll's result.
    void readFailed(int result, ReadGap gap);
    // A finished write's record could not be stored (historyStatus() says why).
    void recordNotStored();
    void liveUpdated();

  private:
    void lock();
    void unlock();
    ReadContext readContext();
    // A stage of reading or saving: the curve follows a finished read.
    void reached(SensorStage stage);
    WriteProgress writeProgress();
    LocalFallback askRecordLocally();
    CalibrationRecord newRecord(RecordKind kind) const;
    CurveFacts curveFacts() const;
    bool beginRecord(CalibrationRecord& rec);
    void recorded(const CalibrationRecord& rec, const DatabaseStatus& status);
    void recordRestore(CalibrationRecord& rec, const QByteArray& backup, const QString& path,
                       const RestoreResult& back);

    Clock& m_clock;
    SettingsStore& m_settings;
    SessionQuestions& m_questions;

    DeviceConnection m_link;
    SensorSession m_sensor;
    QString m_deviceIdent;
    WorkingCurve m_curve;
    WizardStep m_step = WizardStep::Start;
    bool m_pointCaptured = false; // on this visit of the curve page: its write is a calibration
    bool m_unsavedCurve = false;  // the last step's write failed: the points are not stored
    int m_busy = 0;

    QTimer m_liveTimer;
    LiveReading m_live;
    StabilityDetector m_stability;
    bool m_autoCapture = false;     // a settled new level opens the reference dialog
    bool m_autoCaptureArmed = true; // false from an auto-capture until the signal moves

    std::unique_ptr<RecordStore> m_history;
    DatabaseStatus m_historyStatus; // of the last attempt
    CalibrationRecord m_lastRecord;
    CalibrationRecord m_lastVerification;
    std::vector<VerificationPoint> m_verification;
    bool m_verificationOpen = false;
    QStringList m_backups;  // blocks saved before this run's writes
    QString m_backupFolder; // picked when the default took no backup; empty: the default
};

} // namespace qm
