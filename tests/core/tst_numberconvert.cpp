#include "Errors.h"
#include "ExpectFailure.h"
#include "NumberConvert.h"
#include "PreviewGeometry.h"

#include <QTest>

class TestNumberConvert : public QObject
{
    Q_OBJECT

private slots:
    void strToInt_data();
    void strToInt();
    void errorMessage();
    void errorReportText_data();
    void errorReportText();
    void fitPreview_data();
    void fitPreview();
    void fitPreviewFailures_data();
    void fitPreviewFailures();
};

void TestNumberConvert::strToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << "184" << true << 184;
    QTest::newRow("leading blanks") << "  184" << true << 184;
    QTest::newRow("trailing blank") << "184 " << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blanks only") << "   " << false << 0;
    QTest::newRow("plus") << "+7" << true << 7;
    QTest::newRow("minus") << "-1" << true << -1;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("blank after sign") << "- 1" << false << 0;
    QTest::newRow("tab is not a blank") << "\t1" << false << 0;
    QTest::newRow("leading zeros") << "0007" << true << 7;
    QTest::newRow("letters") << "12a" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("max") << "2147483647" << true << 2147483647;
    QTest::newRow("above max") << "2147483648" << false << 0;
    QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
    QTest::newRow("below min") << "-2147483649" << false << 0;
    QTest::newRow("huge") << "99999999999999999999" << false << 0;
    QTest::newRow("dollar hex") << "$1A" << true << 26;
    QTest::newRow("x hex") << "x1a" << true << 26;
    QTest::newRow("X hex") << "X1A" << true << 26;
    QTest::newRow("0x hex") << "0x10" << true << 16;
    QTest::newRow("0X hex") << "0XfF" << true << 255;
    QTest::newRow("negative hex") << "-$10" << true << -16;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex too long") << "$100000000" << false << 0;
    QTest::newRow("hex no digits") << "$" << false << 0;
    QTest::newRow("0x no digits") << "0x" << false << 0;
    QTest::newRow("hex bad digit") << "$1G" << false << 0;
    QTest::newRow("double prefix") << "00x1" << false << 0;
    QTest::newRow("full-width digit") << QString::fromUtf8("\xef\xbc\x91") << false << 0;
}

void TestNumberConvert::strToInt()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    std::int32_t got = 12345;
    QCOMPARE(jf::tryStrToInt(text, got), valid);
    if (valid)
        QCOMPARE(got, value);
}

void TestNumberConvert::errorMessage()
{
    for (const QString& text : {QString(), QStringLiteral("184 "), QStringLiteral("abc")}) {
        QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { jf::strToInt(text); }),
                 QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
}

void TestNumberConvert::errorReportText_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "File not found"
                            << "File not found.";
    QTest::newRow("digit") << "I/O error 5"
                           << "I/O error 5.";
    QTest::newRow("apostrophe") << "'' is not a valid integer value"
                                << "'' is not a valid integer value.";
    QTest::newRow("bracket") << "List index out of bounds (-1)"
                             << "List index out of bounds (-1)";
    QTest::newRow("full stop") << "Done."
                               << "Done.";
    QTest::newRow("quote") << "Cannot open \"x\""
                           << "Cannot open \"x\"";
    QTest::newRow("slash") << "a/"
                           << "a/.";
    QTest::newRow("empty") << ""
                           << "";
}

void TestNumberConvert::errorReportText()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(jf::errorReportText(message), shown);
}

void TestNumberConvert::fitPreview_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<int>("w");
    QTest::addColumn<int>("h");
    QTest::newRow("DVD") << "270"
                         << "184" << 356 << 243;
    QTest::newRow("DVD inside") << "130"
                                << "184" << 195 << 276;
    QTest::newRow("square") << "120"
                            << "120" << 276 << 276;
    QTest::newRow("box") << "356"
                         << "276" << 356 << 276;
    QTest::newRow("half to even down") << "8"
                                       << "1" << 356 << 44;
    QTest::newRow("half to even up") << "8"
                                     << "3" << 356 << 134;
    QTest::newRow("very wide") << "9999"
                               << "1" << 356 << 0;
    QTest::newRow("very tall") << "1"
                               << "9999" << 0 << 276;
    QTest::newRow("height 00") << "270"
                               << "00" << 356 << 0;
    QTest::newRow("swapped DVD") << "184"
                                 << "270" << 188 << 276;
    QTest::newRow("leading zeros") << "0270"
                                   << "0184" << 356 << 243;
}

void TestNumberConvert::fitPreview()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(int, w);
    QFETCH(int, h);
    const jf::PreviewSize size = jf::fitPreview(width, height);
    QCOMPARE(size.width, w);
    QCOMPARE(size.height, h);
}

void TestNumberConvert::fitPreviewFailures_data()
{
    QTest::addColumn<QString>("width");
    QTest::addColumn<QString>("height");
    QTest::addColumn<QString>("message");
    QTest::newRow("width 00") << "00"
                              << "184"
                              << "Floating point division by zero";
    QTest::newRow("both 00") << "00"
                             << "0000"
                             << "Invalid floating point operation";
    QTest::newRow("pasted height") << "270"
                                   << "1a"
                                   << "'1a' is not a valid integer value";
    QTest::newRow("height read first") << "x"
                                       << "y"
                                       << "'y' is not a valid integer value";
}

void TestNumberConvert::fitPreviewFailures()
{
    QFETCH(QString, width);
    QFETCH(QString, height);
    QFETCH(QString, message);
    QCOMPARE(jftest::failureOf<jf::Error>([&] { jf::fitPreview(width, height); }), message);
}

QTEST_GUILESS_MAIN(TestNumberConvert)
#include "tst_numberconvert.moc"
