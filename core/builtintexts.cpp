// The English wording of the texts added beyond the original set, for
// language files that do not carry them yet.
#include "core/langtable.h"

namespace qm {

namespace {
struct Entry {
    int n;
    const char* text;
};
constexpr Entry kTexts[] = {
    {kTextClosesAfterWrite, "Writing the memory: the window closes when the write is complete "
                            "and checked."},
    {kTextWriteStopped, "The write stopped at byte %1: %2. The memory now holds part of the new "
                        "configuration and part of the old one: it is incomplete."},
    {kTextOfferRestore, "Write the backup back now, so that the memory holds what it held "
                        "before?"},
    {kTextRestored, "The backup was written back and checked: the memory holds what it held "
                    "before."},
    {kTextRestoreFailed, "The backup could not be written back (%1). The memory is still "
                         "incomplete; restore it later with: qm07ctl restore %2"},
    {kTextNoReading, "There is no valid reading from the device (the display shows -----), so "
                     "nothing was captured. Check the cable and the device and capture again."},
    {kTextNotANumber, "\"%1\" is not a number."},
    {kTextAskWriteConstants, "Write the zero count N = %1 and the multiplier k = %2 into the "
                             "QM-07R?"},
    {kTextConstantsSaved, "The constants N and k as the device held them were saved to %1."},
    {kTextConstantsNotSaved, "Nothing was written: the constants N and k could not be saved "
                             "first (%1)."},
    {kTextDiscardPoints, "The captured points are not stored in the sensor yet. Discard them?"},
    {kTextYes, "Yes"},
    {kTextNo, "No"},
    {kTextCancel, "Cancel"},
    {kTextRetry, "Retry"},
    {kTextBackupSaved, "The previous contents were saved to %1."},
    {kTextNoBackup, "Nothing was written: the memory could not be saved first (%1)."},
    {kTextReadBackDiffers, "The memory does not hold what was written (first difference at "
                           "byte %1)."},
    {kTextReadBackMissing, "The memory could not be read back after writing, so the write is "
                           "not confirmed."},
    {kTextOutOfRange, "The number %1 is out of range (at most ±3.4E+38)."},
    {kTextDialogTitle, "Edit"},
    {kTextNoCountYet, "There is no valid raw count from the device yet."},
    {kTextCountEqualsN, "Set 2mVV: k cannot be computed: the raw count %1 equals the zero count "
                        "N. Apply the 2 mV/V reference signal to the input and press Set 2mVV "
                        "again."},
    {kTextKLeftAlone, "k is left unchanged."},
    {kTextNoEcho, "the device did not answer"},
    {kTextWrongEcho, "the device answered with another value"},
    {kTextPortNotOpen, "the port was not open"},
    {kTextNotStorable, "Nothing was written: the sensor memory cannot hold this configuration."},
    {kTextHistoryUnreachable, "The calibration history %1 cannot be opened (%2). Record this write "
                              "into the local file %3 instead? No: nothing is written."},
    {kTextLocalHistoryFailed,
     "The local calibration history %1 cannot be opened either (%2). Nothing was written."},
    {kTextNotRecorded, "The write was not recorded in the calibration history %1: %2"},
    {kTextRecorded, "Recorded in the calibration history as no. %1, certificate %2."},
    {kTextOfferCertificate, "Save the calibration certificate?"},
    {kTextCertificateTitle, "Save the certificate"},
    {kTextCertificateNotSaved, "The certificate could not be saved: %1"},
    {kTextCertificateSaved, "The certificate was saved to %1."},
    {kTextChooseBackupFolder, "Yes: choose another folder for the backup. Retry: try the same "
                              "folder again. Cancel: write nothing now."},
    {kTextBackupFolderTitle, "Folder for the backup"},
    {kTextOperator, "Operator"},
    {kTextReferenceStandard, "Reference standard"},
    {kTextLastCalibration, "Last calibration: %1 (certificate %2)"},
    {kTextNeverCalibrated, "No calibration of this sensor in the history"},
    {kTextNotStarted, "Nothing was written: the write cannot be recorded in the calibration "
                      "history %1 (%2). Make the history writable (disk space, file rights, the "
                      "database server) and try again."},
    {kTextOutcomeToLocal, "The outcome of the write cannot be stored in the calibration history %1 "
                          "(%2). Record it into the local file %3? No: the history keeps only "
                          "that the write started."},
    {kTextHistoryBadUrl, "The address of the history in the settings (Database/Url) or in "
                         "QM07_DATABASE cannot be read: correct it."},
    {kTextHistoryNoDriver,
     "The database driver is not installed: install the package named below."},
    {kTextHistoryFileUnreachable, "The history file cannot be opened: check that its folder exists "
                                  "and that you may write there."},
    {kTextServerUnreachable,
     "The database server does not answer: check that it runs and that this computer reaches it."},
    {kTextHistoryTooNew,
     "The history was made by a newer version of the calibrator: install that version here."},
    {kTextHistoryNotWritable, "The history cannot be written: check the free disk space and the "
                              "rights to the file or the database."},
    {kTextNoDataFolder, "There is no data folder for the local history (HOME is not set): set HOME "
                        "or configure a database."},
    {kTextSettling, "settling"},
    {kTextStable, "stable"},
    {kTextTakeUnsettled, "The signal has not settled: its spread over the last %1 s is %2, more "
                         "than %3 allows. Take the point anyway?"},
    {kTextReferenceAxis, "Reference"},
    {kTextNonLinearity, "Non-linearity"},
    {kTextLinearityHeader, "Dev. % FS  Spread"},
    {kTextSystemCalibration, "System calibration"},
    {kTextZeroCount, "Zero [div]"},
    {kTextDivisions, "Divisions"},
    {kTextWriteConstants, "Write"},
    {kTextDisplay, "Display"},
    {kTextSetZero, "Set zero"},
    {kTextZeroCountTip, "The converter's count for a short-circuited input"},
    {kTextMultiplierTip, "The multiplier in user units per count"},
    {kTextDateFormat, "yyyy-MM-dd"},
    {kTextUnstorableCharacter, "%1: the character %2 cannot be stored in the sensor's memory. "
                               "Please replace it."},
    {kTextNoLiveReading, "no reading"},
    {kTextDeviceUnclear,
     "The QM-07R did not answer clearly to %1: the replies were missing or did not agree. Nothing "
     "was read, so nothing will be written. Check the cable and the device, then try again."},
    {kTextZeroCountRange, "The zero count N must be a count of the 24-bit converter, 0 to "
                          "16777215; %1 is not. Nothing was written."},
    {kTextMultiplierRange,
     "The multiplier k must be a number above 0; %1 is not. Nothing was written."},
    {kTextSignalOutsideRange, "The signal %1 mV/V lies outside the input range of the sensor "
                              "(+/-%2 mV/V): it cannot be a reading of this sensor."},
    {kTextStoredAs, "The value %1 cannot be stored exactly: the sensor will hold %2. Accept %2?"},
    {kTextCurveFalls, "The reference values fall as the signal rises: check that this is meant "
                      "(tension or compression gives such a curve)."},
    {kTextAsFoundHeader, "As found % FS"},
    {kTextVerificationTitle, "Verification"},
    {kTextCaptureCaption, "Capture (F5)"},
    {kTextVerifyHowTo,
     "Apply a reference load, wait until the reading is stable and capture it (F5). Next without "
     "points finishes without a verification (recorded as not verified)."},
    {kTextVerifyFigures,
     "Max. error %1 % FS, hysteresis %2 % FS, repeatability %3 % FS, largest U (k = 2) %4"},
    {kTextVerifyPass,
     "Pass: every error with its uncertainty lies within the tolerance of %1 % FS. Next finishes."},
    {kTextVerifyFail,
     "Fail: the device does not read within the tolerance of %1 % FS. Back returns to the curve "
     "page with its points to calibrate again; Next finishes and records the failed verification."},
};
} // namespace

QString BuiltInText(int n) {
    for (const Entry& e : kTexts)
        if (e.n == n) return QString::fromUtf8(e.text);
    return {};
}

} // namespace qm
