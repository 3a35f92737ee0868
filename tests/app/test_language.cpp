// The texts the user reads: language files, their code pages, and the message box.
#include "app/language.h"
#include "app/qtmessagesink.h"
#include "support/files.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>

using namespace qm;
using namespace Qt::StringLiterals;

using Entries = QMap<int, QString>; // every other entry stays empty

class TestLanguage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void grammar_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("charset");
        QTest::addColumn<Entries>("expected");
        QTest::newRow("windows-1250 Czech") << QByteArray("charset=238\r\n3=Zp\xEC"
                                                          "t\r\n005= Dal\x9A\xED\r\n")
                                            << 238 << Entries{{3, "Zpět"}, {5, " Další"}};
        QTest::newRow("upper-case charset is not an entry")
            << QByteArray("CHARSET=204\r\n1=\xCF\xF0\xE8\r\n") << 204 << Entries{{1, "При"}};
        QTest::newRow("no charset line")
            << QByteArray("1=Vyberte port\r\n") << 238 << Entries{{1, "Vyberte port"}};
        QTest::newRow("numbers and further =")
            << QByteArray("12=A=B\r\n1000=x\r\n0=x\r\n007=x\r\n250=y\r\n") << 238
            << Entries{{12, "A=B"}, {7, "x"}, {250, "y"}};
        QTest::newRow("later line wins")
            << QByteArray("4=one\r\n4=two\r\n") << 238 << Entries{{4, "two"}};
    }
    void grammar() {
        QFETCH(QByteArray, bytes);
        QFETCH(Entries, expected);
        const QString path = testing::WriteFileBytes(m_dir.filePath("qm07r.lang"), bytes);
        LangTable table;
        QTEST(LoadLanguage(path, table), "charset");
        for (int n = 1; n <= LangTable::kOriginal; ++n)
            QCOMPARE(table.text(n), expected.value(n));
    }

    // The files the build ships: every text the program shows is there.
    void shippedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("Czech") << "qm07r.lang";
        QTest::newRow("English") << "en.lang";
    }
    void shippedFiles() {
        QFETCH(QString, file);
        LangTable table;
        QCOMPARE(LoadLanguage(QStringLiteral(QM_LANG_DIR "/") + file, table), 238);
        for (int n :
             {1,  2,  3,  4,  5,  9,  10, 11, 12, 13, 14, 15, 16, 19, 22, 23, 24, 25, 29, 30,
              31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 47, 49, 50, 51, 52, 53,
              54, 55, 56, 60, 61, 62, 63, 66, 67, 68, 69, 71, 72, 75, 76, 77, 80, 81, 150})
            QVERIFY2(!table.text(n).trimmed().isEmpty(), qPrintable(QString::number(n)));
        // The texts added since are in the file (not the English fallback), with
        // the placeholders of the built-in text.
        LanguageFile raw;
        LoadLanguage(QStringLiteral(QM_LANG_DIR "/") + file, table, &raw);
        for (int n = kTextClosesAfterWrite; n <= kTextPortNotOpen; ++n) {
            if (BuiltInText(n).isEmpty()) continue;
            QVERIFY2(std::any_of(raw.entries.begin(), raw.entries.end(),
                                 [n](const auto& e) { return e.first == n; }),
                     qPrintable(QString::number(n)));
            for (const char* p : {"%1", "%2"})
                QCOMPARE(table.text(n).contains(QLatin1String(p)),
                         BuiltInText(n).contains(QLatin1String(p)));
        }
        if (file == "qm07r.lang") QCOMPARE(table.text(kTextYes), QStringLiteral("Ano"));
    }

    // Language files are decoded with our own tables, whatever the platform's codecs.
    void codePages() {
        const struct {
            int charset;
            QByteArray bytes;
            QString text;
        } cases[] = {{238, "Zp\xECt", u"Zpět"_s},     {204, "\xC4\xE0", u"Да"_s},
                     {0, "\xC9t\xE9", u"Été"_s},      {161, "\xCD\xE1\xE9", u"Ναι"_s},
                     {162, "\xDDptal", u"İptal"_s},   {177, "\xEB\xEF", u"כן"_s},
                     {178, "\xE4\xDA\xE3", u"نعم"_s}, {186, "J\xE2", u"Jā"_s},
                     {222, "\xE3\xAA\xE8", u"ใช่"_s},  {200, "\x80", u"€"_s}}; // 200: unknown, 1252
        for (const auto& c : cases) {
            LangTable table;
            FillLanguageTable(ParseLanguage("5=" + c.bytes + "\r\n"), c.charset, table);
            QCOMPARE(table.text(5), c.text);
        }
    }

    void missingFileLeavesTableAlone() {
        LangTable table;
        table.set(3, QStringLiteral("kept"));
        QCOMPARE(LoadLanguage(m_dir.filePath(QStringLiteral("absent.lang")), table), 0);
        QCOMPARE(table.text(3), QStringLiteral("kept"));
    }

    // The box as the user sees it, and what Enter and Esc answer.
    void messageBox_data() {
        QTest::addColumn<int>("icon"); // MsgIcon
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("qtIcon");
        QTest::addColumn<int>("answer");
        auto row = [](const char* name, MsgIcon icon, int buttons, MsgButton def, Qt::Key key,
                      QMessageBox::Icon qtIcon, MsgButton answer) {
            QTest::newRow(name) << int(icon) << buttons << int(def) << int(key) << int(qtIcon)
                                << int(answer);
        };
        const int yesNoCancel = MsgYes | MsgNo | MsgCancel;
        row("critical, Enter", MsgIcon::Critical, MsgOk, MsgOk, Qt::Key_Return,
            QMessageBox::Critical, MsgOk);
        row("question, Esc is No", MsgIcon::Question, MsgYes | MsgNo, MsgNo, Qt::Key_Escape,
            QMessageBox::Question, MsgNo);
        row("three buttons, Esc is Cancel", MsgIcon::Exclamation, yesNoCancel, MsgYes,
            Qt::Key_Escape, QMessageBox::Warning, MsgCancel);
        row("three buttons, Enter is the default", MsgIcon::Exclamation, yesNoCancel, MsgNo,
            Qt::Key_Return, QMessageBox::Warning, MsgNo);
    }
    void messageBox() {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, key);
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
        const Message m{QStringLiteral("Zpráva [-2]"), MsgIcon(icon), buttons,
                        MsgButton(defaultButton)};
        QTEST(int(sink.show(m)), "answer");
        QCOMPARE(shown, QStringLiteral("QM-07R|Zpráva [-2]"));
        QTEST(shownIcon, "qtIcon");
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
