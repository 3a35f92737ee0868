#pragma once
// The language table: texts 1..99 of the original set and the texts added
// since (100 and up), read from the language file. Entries 1..99 that the file
// does not fill stay empty; an added text the file lacks reads in English.
#include <QString>
#include <array>

namespace qm {

// The English text of an added entry (100 and up); empty for other numbers.
QString BuiltInText(int n);

// The texts the code words with, by number: of the original set (below 100),
// then the added ones.
enum TextNumber : int {
    kTextPleaseWait = 29,
    kTextConnecting = 30,
    kTextSerialPortError = 31,
    kTextCheckConnection = 32,
    kTextCommunicationError = 33,
    kTextReadingDevice = 34,
    kTextNotAQm07r = 35,
    kTextReadingSensor = 36,
    kTextDone = 37,
    kTextDuplicatePoints = 38,
    kTextTooFewPoints = 39,
    kTextTooManyPoints = 40,
    kTextEnterDescription = 41,
    kTextTheReferenceValue = 42,
    kTextOccursTwice = 43,
    kTextTheSignal = 44,
    kTextWriteFailed = 47,
    kTextCannotStore = 49,
    kTextFoundOnPort = 50,
    kTextNoDeviceAnywhere = 51,
    kTextStoring = 52,
    kTextNoDeviceOnPort = 53,
    kTextPortCannotOpen = 54,
    kTextFullScaleChanged = 55,
    kTextStored = 56,
    kTextDescriptionLength = 60,
    kTextUnitLength = 61,
    kTextSelectPoint = 62,
    kTextDeletePoint = 63,
    kTextPositiveRange = 66,
    kTextCurveFull = 67,
    kTextNegativeRange = 69,
    kTextDeleteWholeCurve = 71,
    kTextCurveEmpty = 72,
    kTextForeignConfiguration = 75,
    kTextClosesAfterWrite = 100,
    kTextWriteStopped = 101,
    kTextOfferRestore = 102,
    kTextRestored = 103,
    kTextRestoreFailed = 104,
    kTextNoReading = 105,
    kTextNotANumber = 106,
    kTextAskWriteConstants = 107,
    kTextConstantsSaved = 108,
    kTextConstantsNotSaved = 109,
    kTextDiscardPoints = 110,
    kTextYes = 112,
    kTextNo = 113,
    kTextCancel = 114,
    kTextRetry = 115,
    kTextBackupSaved = 116,
    kTextNoBackup = 117,
    kTextReadBackDiffers = 118,
    kTextReadBackMissing = 119,
    kTextOutOfRange = 120,
    kTextDialogTitle = 121,
    kTextNoCountYet = 122,
    kTextCountEqualsN = 123,
    kTextKLeftAlone = 124,
    kTextNoEcho = 125,
    kTextWrongEcho = 126,
    kTextPortNotOpen = 127,
    kTextNotStorable = 150,
    kTextHistoryUnreachable = 230,
    kTextLocalHistoryFailed = 231,
    kTextNotRecorded = 232,
    kTextRecorded = 233,
    kTextOfferCertificate = 234,
    kTextCertificateTitle = 235,
    kTextCertificateNotSaved = 236,
    kTextCertificateSaved = 237,
    kTextChooseBackupFolder = 238,
    kTextBackupFolderTitle = 239,
    kTextOperator = 240,
    kTextReferenceStandard = 241,
    kTextLastCalibration = 242,
    kTextNeverCalibrated = 243,
    kTextSettling = 300,
    kTextNotStarted = 500,
    kTextOutcomeToLocal = 501,
    kTextHistoryBadUrl = 502,
    kTextHistoryNoDriver = 503,
    kTextHistoryFileUnreachable = 504,
    kTextServerUnreachable = 505,
    kTextHistoryTooNew = 506,
    kTextHistoryNotWritable = 507,
    kTextNoDataFolder = 508,
    kTextStable = 301,
    kTextTakeUnsettled = 302,
    kTextReferenceAxis = 303,
    kTextNonLinearity = 304,
    kTextLinearityHeader = 305,
    kTextSystemCalibration = 400,
    kTextZeroCount = 401,
    kTextDivisions = 402,
    kTextWriteConstants = 403,
    kTextDisplay = 404,
    kTextSetZero = 405,
    kTextZeroCountTip = 406,
    kTextMultiplierTip = 407,
    kTextDateFormat = 408,
    kTextUnstorableCharacter = 409,
    kTextNoLiveReading = 450,
    kTextDeviceUnclear = 451,
    kTextZeroCountRange = 452,
    kTextMultiplierRange = 453,
    kTextSignalOutsideRange = 454,
    kTextStoredAs = 455,
    kTextCurveFalls = 456,
    kTextAsFoundHeader = 600,
    kTextVerificationTitle = 601,
    kTextCaptureCaption = 602,
    kTextVerifyHowTo = 603,
    kTextVerifyFigures = 604,
    kTextVerifyPass = 605,
    kTextVerifyFail = 606,
    kTextIndicated = 652,
    kTextError = 653,
    kTextErrorFS = 654,
    kTextExpandedU = 655,
    kTextReferenceUncertainty = 663,
};

class LangTable {
  public:
    static constexpr int kOriginal = 99; // 1..99: the original set
    static constexpr int kSize = 999;    // 100..999: texts added since
    QString text(int n) const {
        if (n < 1 || n > kSize) return {};
        const QString& t = m_texts[n - 1];
        return t.isEmpty() && n > kOriginal ? BuiltInText(n) : t;
    }
    void set(int n, const QString& t) {
        if (n >= 1 && n <= kSize) m_texts[n - 1] = t;
    }
    void clear() { m_texts = {}; }

  private:
    std::array<QString, kSize> m_texts;
};

} // namespace qm
