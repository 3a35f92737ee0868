#include "app/qtmessagesink.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

using namespace qm;

Q_DECLARE_METATYPE(qm::MsgIcon)
Q_DECLARE_METATYPE(qm::MsgButton)

class TestQtMessageSink : public QObject {
    Q_OBJECT
  private slots:
    // The box as the user sees it, and what Enter and Esc answer.
    void boxes_data() {
        QTest::addColumn<MsgIcon>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<MsgButton>("defaultButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<MsgButton>("answer");
        QTest::newRow("critical, Enter")
            << MsgIcon::Critical << int(MsgOk) << MsgOk << int(Qt::Key_Return)
            << int(QMessageBox::Critical) << MsgOk;
        QTest::newRow("question, Esc is No")
            << MsgIcon::Question << int(MsgYes | MsgNo) << MsgNo << int(Qt::Key_Escape)
            << int(QMessageBox::Question) << MsgNo;
        QTest::newRow("three buttons, Esc is Cancel")
            << MsgIcon::Exclamation << int(MsgYes | MsgNo | MsgCancel) << MsgYes
            << int(Qt::Key_Escape) << int(QMessageBox::Warning) << MsgCancel;
        QTest::newRow("three buttons, Enter is the default")
            << MsgIcon::Exclamation << int(MsgYes | MsgNo | MsgCancel) << MsgNo
            << int(Qt::Key_Return) << int(QMessageBox::Warning) << MsgNo;
    }
    void boxes() {
        QFETCH(MsgIcon, icon);
        QFETCH(int, buttons);
        QFETCH(MsgButton, defaultButton);
        QFETCH(int, key);
        QFETCH(int, qtIcon);
        QFETCH(MsgButton, answer);
        QString shown;
        int shownIcon = -1;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            shown = box->windowTitle() + u'|' + box->text();
            shownIcon = box->icon();
            QTest::keyClick(box, Qt::Key(key));
        });
        QtMessageSink sink;
        QCOMPARE(sink.show({QStringLiteral("Zpráva [-2]"), icon, buttons, defaultButton}), answer);
        QCOMPARE(shown, QStringLiteral("QM-07R|Zpráva [-2]"));
        QCOMPARE(shownIcon, qtIcon);
    }
};

QTEST_MAIN(TestQtMessageSink)
#include "test_qtmessagesink.moc"
