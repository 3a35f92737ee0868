// The texts the user reads: language files, their code pages, the message
// box, and what the window says for a read's stages and a save's outcome.
#include "app/qtmessagesink.h"
#include "app/readreport.h"
#include "app/savereport.h"
#include "core/languagefile.h"
#include "support/files.h"

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>

using namespace qm;
using namespace Qt::StringLiterals;

static LangTable numbered() { // text n reads "T<n>"
    LangTable t;
    for (int i = 1; i <= LangTable::kSize; ++i)
        t.set(i, QStringLiteral("T%1").arg(i));
    return t;
}

class TestLanguage : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

  private slots:
    void grammar() {
        const struct {
            QByteArray bytes;
            int charset;
            QMap<int, QString> expected; // every other entry stays empty
        } cases[] = {
            {"charset=238\r\n3=Zp\xECt\r\n005= Dal\x9A\xED\r\n", 238, {{3, "Zpět"}, {5, " Další"}}},
            {"CHARSET=204\r\n1=\xCF\xF0\xE8\r\n", 204, {{1, "При"}}}, // not an entry
            {"1=Vyberte port\r\n", 238, {{1, "Vyberte port"}}},
            {"12=A=B\r\n1000=x\r\n0=x\r\n007=x\r\n250=y\r\n",
             238,
             {{12, "A=B"}, {7, "x"}, {250, "y"}}},
            {"4=one\r\n4=two\r\n", 238, {{4, "two"}}}};
        for (const auto& c : cases) {
            const QString path = testing::WriteFileBytes(m_dir.filePath("qm07r.lang"), c.bytes);
            LangTable table;
            QCOMPARE(LoadLanguage(path, table), c.charset);
            for (int n = 1; n <= LangTable::kOriginal; ++n)
                QCOMPARE(table.text(n), c.expected.value(n));
        }
    }

    // The files the build ships hold the texts added since (not the English
    // fallback), with the placeholders of the built-in text.
    void shippedFiles() {
        for (const char* file : {QM_LANG_DIR "/qm07r.lang", QM_LANG_DIR "/en.lang"}) {
            LangTable table;
            LanguageFile raw;
            QCOMPARE(LoadLanguage(QString::fromLatin1(file), table, &raw), 238);
            for (int n = kTextClosesAfterWrite; n <= LangTable::kSize; ++n) {
                if (BuiltInText(n).isEmpty()) continue;
                QVERIFY2(std::any_of(raw.entries.begin(), raw.entries.end(),
                                     [n](const auto& e) { return e.first == n; }),
                         qPrintable(QString::number(n)));
                for (const char* p : {"%1", "%2"})
                    QCOMPARE(table.text(n).contains(QLatin1String(p)),
                             BuiltInText(n).contains(QLatin1String(p)));
            }
            // The question names its buttons as they read.
            for (const int button : {kTextYes, kTextRetry, kTextCancel})
                QVERIFY(table.text(kTextChooseBackupFolder).contains(table.text(button) + u':'));
        }
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
                     {178, "\xE4\xDA\xE3", u"نعم"_s}, {200, "\x80", u"€"_s}}; // 200: unknown, 1252
        for (const auto& c : cases) {
            LangTable table;
            FillLanguageTable(ParseLanguage("5=" + c.bytes + "\r\n"), c.charset, table);
            QCOMPARE(table.text(5), c.text);
        }
    }

    // The box as the user sees it, and what Enter and Esc answer.
    void messageBox() {
        const int yesNoCancel = MsgYes | MsgNo | MsgCancel;
        const struct {
            MsgIcon icon;
            int buttons;
            MsgButton defaultButton;
            Qt::Key key;
            QMessageBox::Icon qtIcon;
            MsgButton answer;
        } cases[] = {{MsgIcon::Question, MsgYes | MsgNo, MsgNo, Qt::Key_Escape,
                      QMessageBox::Question, MsgNo},
                     {MsgIcon::Exclamation, yesNoCancel, MsgYes, Qt::Key_Escape,
                      QMessageBox::Warning, MsgCancel}, // Esc is Cancel
                     {MsgIcon::Exclamation, yesNoCancel, MsgNo, Qt::Key_Return,
                      QMessageBox::Warning, MsgNo}};
        for (const auto& c : cases) {
            QString shown;
            int shownIcon = -1;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                shown = box->windowTitle() + u'|' + box->text();
                shownIcon = box->icon();
                QTest::keyClick(box, c.key);
            });
            QtMessageSink sink;
            const Message m{QStringLiteral("Zpráva [-2]"), c.icon, c.buttons, c.defaultButton};
            QCOMPARE(sink.show(m), c.answer);
            QCOMPARE(shown, QStringLiteral("QM-07R|Zpráva [-2]"));
            QCOMPARE(shownIcon, c.qtIcon);
        }
    }

    void saveProblem() {
        const struct {
            int result;
            ReadBack readBack;
            const char *error, *text; // backupError, or the refusal
        } cases[] = {{kSaveConvertFailed, ReadBack::NotWritten, "no room", "T150\nno room."},
                     {kSaveWriteFailed, ReadBack::NotWritten, "gone", "T117"},
                     {kSaveWritten, ReadBack::Differs, "", "T118\nT116"},
                     {kSaveWritten, ReadBack::Missing, "", "T119\nT116"},
                     {kSaveWritten, ReadBack::Agrees, "", ""},
                     {kSaveUnchanged, ReadBack::NotWritten, "", ""}};
        for (const auto& c : cases) {
            SaveReport r;
            r.result = c.result;
            r.readBack = c.readBack;
            (c.result == kSaveConvertFailed ? r.refusal : r.backupError) = c.error;
            QCOMPARE(SaveProblemText(numbered(), r), QString::fromUtf8(c.text));
        }
    }

    // Yes loads the defaults, Retry reads again, anything else (No is the
    // default button) keeps the sensor's data; the iTag has its own text.
    void badImageQuestion() {
        const Message m = BadImageQuestion(numbered(), kGroupTag);
        QCOMPARE(m.text, QStringLiteral("T77"));
        QCOMPARE(m.defaultButton, MsgNo);
        QCOMPARE(BadImageQuestion(numbered(), kGroupDevice).text, QStringLiteral("T76"));
        QCOMPARE(BadImageAnswer(MsgYes), BadImageChoice::LoadDefaults);
        QCOMPARE(BadImageAnswer(MsgRetry), BadImageChoice::ReadAgain);
        QCOMPARE(BadImageAnswer(MsgCancel), BadImageChoice::Keep);
        QCOMPARE(ReadFailureText(numbered(), -1, 3), QStringLiteral("T31 (COM3) T32"));
        QCOMPARE(ReadFailureText(numbered(), -2, 3), QStringLiteral("T35"));
        QVERIFY(ReadFailureText(numbered(), -3, 3).isEmpty());
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"
