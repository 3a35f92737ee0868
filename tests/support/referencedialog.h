#pragma once
// Answers the reference value dialog of the next capture: once it is up,
// notes the signal it shows, types the value and presses Enter.
#include "calibration/referencedialog.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace qm::testing {

inline void AnswerReferenceDialog(ReferenceDialog& box, const QString& value,
                                  QString* shownSignal = nullptr) {
    QTimer::singleShot(0, &box, [&box, value, shownSignal] {
        QVERIFY(box.isVisible());
        if (shownSignal) *shownSignal = box.txtCalBod(0)->text();
        box.txtCalBod(1)->setText(value);
        QTest::keyClick(box.txtCalBod(1), Qt::Key_Return);
    });
}

} // namespace qm::testing
