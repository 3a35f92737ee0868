#include "app/language.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qm;

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
        QFETCH(int, charset);
        QFETCH(Entries, expected);
        const QString path = m_dir.filePath(QStringLiteral("qm07r.lang"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        LangTable table;
        QCOMPARE(LoadLanguage(path, table), charset);
        for (int n = 1; n <= LangTable::kSize; ++n)
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
              54, 55, 56, 60, 61, 62, 63, 66, 67, 68, 69, 71, 72, 75, 76, 77, 80, 81})
            QVERIFY2(!table.text(n).trimmed().isEmpty(), qPrintable(QString::number(n)));
    }

    void missingFileLeavesTableAlone() {
        LangTable table;
        table.set(3, QStringLiteral("kept"));
        QCOMPARE(LoadLanguage(m_dir.filePath(QStringLiteral("absent.lang")), table), 0);
        QCOMPARE(table.text(3), QStringLiteral("kept"));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "test_language.moc"
