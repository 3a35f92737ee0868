#pragma once
// The two calibration pages around one session, for tests: language text n
// reads "Tn", and the reference value dialog is played by a script.
#include "calibration/curvepage.h"
#include "calibration/referenceinput.h"
#include "calibration/sensorpage.h"
#include "calibration/workingcurve.h"
#include "core/clock.h"
#include "core/langtable.h"
#include "sensor/sensorrecord.h"
#include "support/scriptedmessages.h"

#include <QList>
#include <QStringList>
#include <QtTest>
#include <optional>

namespace qm::testing {

// Answers the dialog from a queue (a value typed, optionally a new signal, or
// cancel) and records how each showing was prepared: "SIG ETH ETHFormat" and
// the field that gets the focus.
class ScriptedDialog final : public ReferenceInput {
  public:
    struct Answer {
        float eth;
        std::optional<float> sig;
    };
    QList<Answer> answers;
    QStringList shown;

    void confirm(float eth, std::optional<float> sig = {}) { answers.append(Answer{eth, sig}); }
    void cancel() { answers.append(Answer{kCancelled, {}}); }

    void showModal() override {
        shown << QStringLiteral("%1 %2 %3 %4")
                     .arg(SIG)
                     .arg(ETH)
                     .arg(ETHFormat,
                          SignalFocus ? QStringLiteral("signal") : QStringLiteral("value"));
        QVERIFY2(!answers.isEmpty(), "dialog shown without a scripted answer");
        const Answer a = answers.takeFirst();
        ETH = a.eth;
        if (a.sig) SIG = *a.sig;
    }
};

struct CalibrationPages {
    SensorSession session;
    WorkingCurve curve;
    LangTable lang;
    ScriptedMessages messages;
    VirtualClock clock; // 4 December 2026, 22:30:15
    CalibrationContext ctx{session, curve, lang, messages, clock};
    ScriptedDialog dialog;
    double live = 0; // the live signal in mV/V
    SensorPage sensorPage{ctx};
    CurvePage curvePage{ctx, dialog, [this] { return live; }};

    explicit CalibrationPages(int displayDigits = 5) {
        for (int n = 1; n <= LangTable::kSize; ++n)
            lang.set(n, QStringLiteral("T%1").arg(n));
        session.DisplayDigits = displayDigits;
        sensorPage.setFormatList(displayDigits);
        session.CurrentRecord.Format = QStringLiteral("###0.000");
        session.CurrentRecord.Unit = QStringLiteral("kg    ");
    }
};

} // namespace qm::testing
