#include "app/language.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

namespace {
struct Entry {
    int n;
    QString text;
};
} // namespace
Q_DECLARE_METATYPE(QList<Entry>)

class TestLanguage : public QObject {
    Q_OBJECT
  private:
    QTemporaryDir m_dir;

    QString write(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("qm07r.lang"));
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        f.write(bytes);
        return path;
    }

  private slots:
    void grammar_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("charset");
        QTest::addColumn<QList<Entry>>("expected"); // every other entry stays empty

        QTest::newRow("example") << QByteArray("charset=238\r\n3=Zp\xEC"
                                               "t\r\n005= Dal\x9A\xED\r\n")
                                 << 238
                                 << QList<Entry>{{3, QStringLiteral("Zpět")},
                                                 {5, QStringLiteral(" Další")}};
        QTest::newRow("upper-case charset is not an entry")
            << QByteArray("CHARSET=204\r\n1=\xCF\xF0\xE8\r\n") << 204
            << QList<Entry>{{1, QStringLiteral("При")}};
        QTest::newRow("no charset line") << QByteArray("1=Vyberte port\r\n") << 238
                                         << QList<Entry>{{1, QStringLiteral("Vyberte port")}};
        QTest::newRow("further = belong to the text")
            << QByteArray("12=A=B\r\n100=x\r\n0=x\r\n007=x\r\n") << 238
            << QList<Entry>{{12, QStringLiteral("A=B")}, {7, QStringLiteral("x")}};
        QTest::newRow("later line wins")
            << QByteArray("4=one\r\n4=two\r\n") << 238 << QList<Entry>{{4, QStringLiteral("two")}};
        QTest::newRow("blanks trimmed around the line only")
            << QByteArray("   9=  Popis  \r\n") << 238
            << QList<Entry>{{9, QStringLiteral("  Popis")}};
        QTest::newRow("= too far in or first")
            << QByteArray("1234=x\r\n=x\r\nab=x\r\n") << 238 << QList<Entry>{};
        QTest::newRow("one-digit charset is a plain line")
            << QByteArray("charset=2\r\n2=x\r\n") << 238 << QList<Entry>{{2, QStringLiteral("x")}};
        QTest::newRow("charset 0 or negative is a plain line")
            << QByteArray("charset=-5\r\n1=a\r\n") << 238 << QList<Entry>{{1, QStringLiteral("a")}};
        QTest::newRow("charset with blanks and trailing text")
            << QByteArray("Charset=  161 greek\r\n1=\xE1\r\n") << 161
            << QList<Entry>{{1, QStringLiteral("α")}};
        QTest::newRow("charset too large for 16 bits")
            << QByteArray("charset=99999\r\n1=a\r\n") << 238
            << QList<Entry>{{1, QStringLiteral("a")}};
        QTest::newRow("empty file") << QByteArray() << 238 << QList<Entry>{};
        QTest::newRow("only the charset line")
            << QByteArray("charset=204") << 204 << QList<Entry>{};
        QTest::newRow("LF endings and no final newline")
            << QByteArray("charset=238\n2=Vyhledat\n22=Zachytit") << 238
            << QList<Entry>{{2, QStringLiteral("Vyhledat")}, {22, QStringLiteral("Zachytit")}};
        QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF"
                                                      "charset=238\r\n3=Zpět\r\n")
                                        << 238 << QList<Entry>{{3, QStringLiteral("Zpět")}};
        QTest::newRow("BOM but not UTF-8 reads in the code page")
            << QByteArray("\xEF\xBB\xBF\r\n3=Zp\xEC"
                          "t\r\n")
            << 238 << QList<Entry>{{3, QStringLiteral("Zpět")}};
    }
    void grammar() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, charset);
        QFETCH(QList<Entry>, expected);
        LangTable table;
        QCOMPARE(LoadLanguage(write(bytes), table), charset);
        for (int n = 1; n <= LangTable::kSize; ++n) {
            QString want;
            for (const Entry& e : expected)
                if (e.n == n) want = e.text;
            QCOMPARE(table.text(n), want);
        }
    }

    // The files the build ships: every text the program shows is there.
    void shippedFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("back");
        QTest::newRow("Czech") << "qm07r.lang" << QStringLiteral("Zpět");
        QTest::newRow("English") << "en.lang" << QStringLiteral("Back");
    }
    void shippedFiles() {
        QFETCH(QString, file);
        QFETCH(QString, back);
        LangTable table;
        QCOMPARE(LoadLanguage(QStringLiteral(QM_LANG_DIR "/") + file, table), 238);
        QCOMPARE(table.text(3), back);
        const int used[] = {1,  2,  3,  4,  5,  9,  10, 11, 12, 13, 14, 15, 16, 19, 22,
                            23, 24, 25, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
                            41, 42, 43, 44, 47, 49, 50, 51, 52, 53, 54, 55, 56, 60, 61,
                            62, 63, 66, 67, 68, 69, 71, 72, 75, 76, 77, 80, 81};
        for (int n : used)
            QVERIFY2(!table.text(n).trimmed().isEmpty(), qPrintable(QString::number(n)));
    }

    void missingFileLeavesTableAlone() {
        LangTable table;
        table.set(3, QStringLiteral("kept"));
        QCOMPARE(LoadLanguage(m_dir.filePath(QStringLiteral("absent.lang")), table), 0);
        QCOMPARE(table.text(3), QStringLiteral("kept"));
    }

    // The character-set trial reads the same bytes in another code page.
    void captionsInAnotherCharset_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("charset");
        QTest::addColumn<QString>("text3");
        const QByteArray cp1250("charset=238\r\n3=Zp\xEC"
                                "t\r\n");
        QTest::newRow("own set") << cp1250 << 238 << QStringLiteral("Zpět");
        QTest::newRow("western") << cp1250 << 0 << QStringLiteral("Zpìt");
        QTest::newRow("cyrillic") << cp1250 << 204 << QStringLiteral("Zpмt");
        QTest::newRow("unknown set reads as western") << cp1250 << 200 << QStringLiteral("Zpìt");
        QTest::newRow("UTF-8 file in its own set") << QByteArray("\xEF\xBB\xBF"
                                                                 "charset=238\r\n3=Zpět\r\n")
                                                   << 238 << QStringLiteral("Zpět");
    }
    void captionsInAnotherCharset() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, charset);
        QFETCH(QString, text3);
        LangTable table;
        FillLanguageTable(ParseLanguage(bytes), charset, table);
        QCOMPARE(table.text(3), text3);
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
