#include "app/readreport.h"

namespace qm {

QString ReadStageText(const LangTable& lang, SensorStage stage) {
    switch (stage) {
    case SensorStage::Connecting:
        return lang.text(kTextConnecting);
    case SensorStage::LineClosed:
        return lang.text(kTextCommunicationError);
    case SensorStage::Identifying:
        return lang.text(kTextReadingDevice) + QStringLiteral(" 5%");
    case SensorStage::Identified:
        return lang.text(kTextReadingDevice) + QStringLiteral(" 10%");
    case SensorStage::DigitsRead:
        return lang.text(kTextReadingDevice) + QStringLiteral("20%");
    case SensorStage::ReadingSensor:
        return lang.text(kTextReadingSensor);
    case SensorStage::SensorRead:
        return lang.text(kTextDone);
    case SensorStage::Writing:
        return lang.text(kTextStoring);
    case SensorStage::Resetting:
        return lang.text(kTextPleaseWait);
    default:
        return {};
    }
}

int ReadStageOverlay(SensorStage stage) {
    switch (stage) {
    case SensorStage::Connecting:
    case SensorStage::ReadingSensor:
    case SensorStage::Writing:
        return 1;
    case SensorStage::Unidentified:
    case SensorStage::Unclear:
    case SensorStage::DeviceRead:
    case SensorStage::SensorRead:
    case SensorStage::Written:
        return 0;
    default:
        return -1;
    }
}

Message BadImageQuestion(const LangTable& lang, int group) {
    return {lang.text(group == kGroupTag ? 77 : 76), MsgIcon::Exclamation,
            MsgYes | MsgNo | MsgCancel | MsgRetry, MsgNo};
}

BadImageChoice BadImageAnswer(MsgButton answer) {
    switch (answer) {
    case MsgYes:
        return BadImageChoice::LoadDefaults;
    case MsgRetry:
        return BadImageChoice::ReadAgain;
    default:
        return BadImageChoice::Keep;
    }
}

QString ReadFailureText(const LangTable& lang, int result, int port, ReadGap gap) {
    if (result == -1)
        return lang.text(kTextSerialPortError) + QStringLiteral(" (COM") + QString::number(port) +
               QStringLiteral(") ") + lang.text(kTextCheckConnection);
    if (result == -2) return lang.text(kTextNotAQm07r);
    if (result == kReadUnclear) return lang.text(kTextDeviceUnclear).arg(GapRequest(gap));
    return {};
}

} // namespace qm
