// Windows-1252 is what the office's Windows copies put on the wire and into the data files;
// a wrong byte here garbles every name and message exchanged with them.
#include "common/codec.h"

#include <QtTest>

class TestCodec final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesAndDecodes_data();
    void encodesAndDecodes();
    void everyByteSurvivesARoundTrip();
    void unsupportedCharactersBecomeOneQuestionMark_data();
    void unsupportedCharactersBecomeOneQuestionMark();
};

void TestCodec::encodesAndDecodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QStringLiteral("[PC7\\OPERATOR]BOB> hi, there")
                           << QByteArray("[PC7\\OPERATOR]BOB> hi, there");
    QTest::newRow("line ends and tab") << QStringLiteral("a\r\nb\tc") << QByteArray("a\r\nb\tc");
    QTest::newRow("euro") << QStringLiteral("\u20AC5")
                          << QByteArray("\x80"
                                        "5");
    QTest::newRow("single quotes") << QStringLiteral("\u2018x\u2019") << QByteArray("\x91x\x92");
    QTest::newRow("double quotes") << QStringLiteral("\u201Cx\u201D") << QByteArray("\x93x\x94");
    QTest::newRow("ellipsis and dashes")
        << QStringLiteral("\u2026\u2013\u2014") << QByteArray("\x85\x96\x97");
    QTest::newRow("trade mark, S caron, Y diaeresis")
        << QStringLiteral("\u2122\u0160\u0178") << QByteArray("\x99\x8A\x9F");
    QTest::newRow("latin-1 upper half")
        << QStringLiteral("\u00A0\u00E9\u00FC\u00DF\u00FF") << QByteArray("\xA0\xE9\xFC\xDF\xFF");
    QTest::newRow("nul byte kept") << QString(QChar(0)) << QByteArray(1, '\0');
    QTest::newRow("empty") << QString() << QByteArray();
}

void TestCodec::encodesAndDecodes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Codec::encode(text), bytes);
    QCOMPARE(Codec::decode(bytes), text);
}

// Whatever a Windows copy sends, decoding and encoding again must give back the same bytes,
// the five bytes Windows leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) included.
void TestCodec::everyByteSurvivesARoundTrip()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = Codec::decode(all);
    QCOMPARE(text.size(), 256);
    // Only 0x3F itself decodes to "?": no byte is lost on the way in.
    QCOMPARE(text.count(QLatin1Char('?')), 1);
    QCOMPARE(Codec::encode(text), all);
}

void TestCodec::unsupportedCharactersBecomeOneQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("cyrillic") << QStringLiteral("a\u0416b") << QByteArray("a?b");
    QTest::newRow("chinese") << QStringLiteral("\u4E2D\u6587") << QByteArray("??");
    QTest::newRow("emoji outside the BMP")
        << (QStringLiteral("x") + QString::fromUcs4(U"\U0001F600") + QStringLiteral("y"))
        << QByteArray("x?y");
    QTest::newRow("two emoji") << QString::fromUcs4(U"\U0001F600\U0001F44D") << QByteArray("??");
    QTest::newRow("lone surrogate")
        << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << QByteArray("a?b");
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArray("?");
}

void TestCodec::unsupportedCharactersBecomeOneQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Codec::encode(text), bytes);
}

QTEST_APPLESS_MAIN(TestCodec)
#include "test_codec.moc"
