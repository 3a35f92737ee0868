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
        QTest::newRow("exclamation, Esc")
            << MsgIcon::Exclamation << int(MsgOk) << MsgOk << int(Qt::Key_Escape)
            << int(QMessageBox::Warning) << MsgOk;
        QTest::newRow("question, Enter takes No")
            << MsgIcon::Question << int(MsgYes | MsgNo) << MsgNo << int(Qt::Key_Return)
            << int(QMessageBox::Question) << MsgNo;
        QTest::newRow("question, Esc is No")
            << MsgIcon::Question << int(MsgYes | MsgNo) << MsgNo << int(Qt::Key_Escape)
            << int(QMessageBox::Question) << MsgNo;
        QTest::newRow("three buttons, Esc is Cancel")
            << MsgIcon::Exclamation << int(MsgYes | MsgNo | MsgCancel) << MsgYes
            << int(Qt::Key_Escape) << int(QMessageBox::Warning) << MsgCancel;
        QTest::newRow("three buttons, Enter is Yes")
            << MsgIcon::Exclamation << int(MsgYes | MsgNo | MsgCancel) << MsgYes
            << int(Qt::Key_Return) << int(QMessageBox::Warning) << MsgYes;
        QTest::newRow("plain") << MsgIcon::None << int(MsgOk) << MsgOk << int(Qt::Key_Return)
                               << int(QMessageBox::NoIcon) << MsgOk;
    }
    void boxes() {
        QFETCH(MsgIcon, icon);
        QFETCH(int, buttons);
        QFETCH(MsgButton, defaultButton);
        QFETCH(int, key);
        QFETCH(int, qtIcon);
        QFETCH(MsgButton, answer);
        QString title, text;
        int shownIcon = -1, shownButtons = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            shownIcon = box->icon();
            shownButtons = box->buttons().size();
            QTest::keyClick(box, Qt::Key(key));
        });
        QtMessageSink sink;
        QCOMPARE(sink.show({QStringLiteral("Zpráva [-2]"), icon, buttons, defaultButton}), answer);
        QCOMPARE(title, QStringLiteral("QM-07R"));
        QCOMPARE(text, QStringLiteral("Zpráva [-2]"));
        QCOMPARE(shownIcon, qtIcon);
        QCOMPARE(shownButtons, qPopulationCount(quint32(buttons)));
    }
};

QTEST_MAIN(TestQtMessageSink)
#include "test_qtmessagesink.moc"
