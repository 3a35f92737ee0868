#pragma once
// Once the reference value dialog is up, types the value and presses Enter.
#include "calibration/referencedialog.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace qm::testing {

inline void AnswerReferenceDialog(ReferenceDialog& box, const QString& value) {
    QTimer::singleShot(0, &box, [&box, value] {
        QVERIFY(box.isVisible());
        box.pointField(1)->setText(value);
        QTest::keyClick(box.pointField(1), Qt::Key_Return);
    });
}

} // namespace qm::testing
