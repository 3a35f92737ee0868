#include "app/savereport.h"

#include "core/messages.h"

namespace qm {

namespace {

// The byte a failed write stopped at, from WriteConfigBlock's result.
int stoppedAt(int w) {
    if (w == kWritePortClosed) return 0;
    return w <= -kWriteWrongEcho ? -w - kWriteWrongEcho : -w;
}

} // namespace

QString SaveProblemText(const LangTable& lang, const SaveReport& r) {
    const QString saved = lang.text(kTextBackupSaved).arg(r.backupPath);
    if (r.result == kSaveConvertFailed && !r.refusal.isEmpty())
        return lang.text(kTextNotStorable) + u'\n' + r.refusal + u'.';
    if (!r.backupError.isEmpty()) return lang.text(kTextNoBackup).arg(r.backupError);
    if (r.result != kSaveWritten) return {};
    if (r.readBack == ReadBack::Differs)
        return lang.text(kTextReadBackDiffers).arg(r.firstDifference) + u'\n' + saved;
    if (r.readBack == ReadBack::Missing) return lang.text(kTextReadBackMissing) + u'\n' + saved;
    return {};
}

QString WriteStoppedText(const LangTable& lang, const SaveReport& r) {
    const int w = r.writeResult;
    const QString why = lang.text(w == kWritePortClosed   ? kTextPortNotOpen
                                  : w <= -kWriteWrongEcho ? kTextWrongEcho
                                                          : kTextNoEcho);
    return withCode(lang.text(kTextWriteFailed), w) + u'\n' +
           lang.text(kTextWriteStopped).arg(stoppedAt(w)).arg(why) + u'\n' +
           lang.text(kTextBackupSaved).arg(r.backupPath);
}

} // namespace qm
