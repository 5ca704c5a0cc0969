#include "Errors.h"
#include "ExpectFailure.h"
#include "NumberConvert.h"
#include "PreviewGeometry.h"

#include <QLocale>
#include <QTest>

class TestNumberConvert : public QObject
{
    Q_OBJECT

private slots:
    void strToInt_data();
    void strToInt();
    void errorMessage();
    void validNumbers_data();
    void validNumbers();
    void invalidNumbers_data();
    void invalidNumbers();
    void localeDecimalSeparator_data();
    void localeDecimalSeparator();
    void mulDivRounding_data();
    void mulDivRounding();
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

void TestNumberConvert::validNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("digits") << "120" << 120.0;
    QTest::newRow("leading zeros") << "0270" << 270.0;
    QTest::newRow("blanks around") << "  12  " << 12.0;
    QTest::newRow("plus") << "+5" << 5.0;
    QTest::newRow("minus fraction") << "-3.5" << -3.5;
    QTest::newRow("fraction only") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("exponent") << "9e99" << 9e99;
    QTest::newRow("exponent sign, capital") << "1.5E+2" << 150.0;
    QTest::newRow("negative exponent") << "25e-1" << 2.5;
    QTest::newRow("underflow is zero") << "1e-999" << 0.0;
}

void TestNumberConvert::validNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(jf::strToFloat(text), value);
}

void TestNumberConvert::invalidNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("blanks") << "   ";
    QTest::newRow("word") << "abc";
    QTest::newRow("comma decimal") << "1,5";
    QTest::newRow("two signs") << "--1";
    QTest::newRow("inner blank") << "1 2";
    QTest::newRow("bare exponent") << "1e";
    QTest::newRow("exponent sign only") << "1e+";
    QTest::newRow("point only") << ".";
    QTest::newRow("hex") << "0x10";
    QTest::newRow("inf") << "inf";
    QTest::newRow("nan") << "nan";
    QTest::newRow("too large") << "1e999";
    QTest::newRow("tab") << "\t5";
    QTest::newRow("arabic digits") << QString::fromUtf8("\u0661\u0662");
    QTest::newRow("trailing letter") << "12mm";
}

void TestNumberConvert::invalidNumbers()
{
    QFETCH(QString, text);
    double value = 42.0;
    QVERIFY(!jf::tryStrToFloat(text, value));
    QCOMPARE(value, 42.0);
    QCOMPARE(jftest::failureOf<jf::ConvertError>([&] { jf::strToFloat(text); }),
             QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

void TestNumberConvert::localeDecimalSeparator_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");
    QTest::newRow("german comma") << "de_DE"
                                  << "12,5" << true << 12.5;
    QTest::newRow("german point") << "de_DE"
                                  << "12.5" << true << 12.5;
    QTest::newRow("german grouping") << "de_DE"
                                     << "1.234,5" << false << 0.0;
    QTest::newRow("german two commas") << "de_DE"
                                       << "1,2,3" << false << 0.0;
    QTest::newRow("english comma") << "en_US"
                                   << "12,5" << false << 0.0;
}

void TestNumberConvert::localeDecimalSeparator()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const QString failure =
        jftest::failureOf<jf::ConvertError>([&] { QCOMPARE(jf::strToFloat(text), value); });
    QLocale::setDefault(previous);
    QCOMPARE(failure, valid ? QStringLiteral("<no failure>")
                            : QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

void TestNumberConvert::mulDivRounding_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("result");
    QTest::newRow("476 at 600 dpi") << 476 << 600 << 96 << 2975;
    QTest::newRow("506 at 600 dpi: half goes up") << 506 << 600 << 96 << 3163;
    QTest::newRow("476 at 300 dpi: half goes up") << 476 << 300 << 96 << 1488;
    QTest::newRow("506 at 300 dpi: quarter goes down") << 506 << 300 << 96 << 1581;
    QTest::newRow("negative half goes down") << -506 << 600 << 96 << -3163;
    QTest::newRow("negative divisor") << 5 << 1 << -2 << -3;
    QTest::newRow("both negative") << -5 << 1 << -2 << 3;
    QTest::newRow("product beyond 32 bits") << 2000000000 << 3 << 4 << 1500000000;
    QTest::newRow("zero divisor") << 5 << 1 << 0 << -1;
    QTest::newRow("result beyond 32 bits") << 2000000000 << 2 << 1 << -1;
    QTest::newRow("20 x 50 window, 600 dpi width") << 20 << 600 << 96 << 125;
    QTest::newRow("20 x 50 window, 600 dpi height") << 50 << 600 << 96 << 313;
}

void TestNumberConvert::mulDivRounding()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, result);
    QCOMPARE(jf::mulDiv(a, b, c), result);
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
