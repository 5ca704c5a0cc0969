#include "DataRow.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "NumberConvert.h"
#include "PreviewGeometry.h"

#include <QLocale>
#include <QTest>

using jftest::row;

class TestNumberConvert : public QObject
{
    Q_OBJECT

private slots:
    void numbers_data()
    {
        // integer: read by strToInt, else by strToFloat
        // value: NaN: not a number
        jftest::columns<bool, QString, QString, double>("integer", "locale", "text", "value");
        const double invalid = qQNaN();
        // Not integers: blanks after, a tab, signs and prefixes alone, too large,
        // a full-width digit.
        for (const QString& text :
             QStringList{"184 ", "", "   ", "-", "- 1", "\t1", "12a", "1.5", "2147483648",
                         "-2147483649", "99999999999999999999", "$100000000", "$", "0x", "$1G",
                         "00x1", QString::fromUtf8("\xef\xbc\x91")})
            QTest::addRow("integer '%s'", qPrintable(text)) << true << "C" << text << invalid;
        const auto integer = [](const char* name, const char* text, double value) {
            row(qPrintable(QStringLiteral("integer: ") + name), true, "C", text, value);
        };
        integer("plain", "184", 184);
        integer("leading blanks", "  184", 184);
        integer("plus", "+7", 7);
        integer("minus", "-1", -1);
        integer("leading zeros", "0007", 7);
        integer("max", "2147483647", 2147483647);
        integer("min", "-2147483648", -2147483648.0);
        integer("dollar hex", "$1A", 26);
        integer("x hex", "x1a", 26);
        integer("X hex", "X1A", 26);
        integer("0x hex", "0x10", 16);
        integer("0X hex", "0XfF", 255);
        integer("negative hex", "-$10", -16);
        integer("hex all bits", "$FFFFFFFF", -1);
        // Not numbers: signs, blanks, exponents and points alone or misplaced,
        // hex, inf and nan, too large, other digits, units.
        for (const QString& text :
             QStringList{"", "   ", "abc", "1,5", "--1", "1 2", "1e", "1e+", ".", "0x10", "inf",
                         "nan", "1e999", "\t5", "12mm", QString::fromUtf8("\u0661\u0662")})
            QTest::addRow("'%s'", qPrintable(text)) << false << "C" << text << invalid;
        row("digits", false, "C", "120", 120.0);
        row("leading zeros", false, "C", "0270", 270.0);
        row("blanks around", false, "C", "  12  ", 12.0);
        row("plus", false, "C", "+5", 5.0);
        row("minus fraction", false, "C", "-3.5", -3.5);
        row("fraction only", false, "C", ".5", 0.5);
        row("trailing point", false, "C", "5.", 5.0);
        row("exponent", false, "C", "9e99", 9e99);
        row("exponent sign, capital", false, "C", "1.5E+2", 150.0);
        row("negative exponent", false, "C", "25e-1", 2.5);
        row("underflow is zero", false, "C", "1e-999", 0.0);
        // The locale's decimal separator, and the point as well.
        row("german comma", false, "de_DE", "12,5", 12.5);
        row("german point", false, "de_DE", "12.5", 12.5);
        row("german grouping", false, "de_DE", "1.234,5", invalid);
        row("german two commas", false, "de_DE", "1,2,3", invalid);
        row("english comma", false, "en_US", "12,5", invalid);
    }

    void numbers()
    {
        QFETCH(bool, integer);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, value);
        const QLocale previous;
        QLocale::setDefault(QLocale(locale));
        std::int32_t whole = 12345;
        double tried = 42.0, got = 0;
        const bool valid = integer ? jf::tryStrToInt(text, whole) : jf::tryStrToFloat(text, tried);
        const QString failure = jftest::failureOf<jf::ConvertError>(
            [&] { got = integer ? jf::strToInt(text) : jf::strToFloat(text); });
        QLocale::setDefault(previous);
        QCOMPARE(valid, !qIsNaN(value));
        if (integer)
            tried = valid ? whole : 42.0;
        QCOMPARE(tried, valid ? value : 42.0); // left alone when invalid
        if (valid)
            QCOMPARE(got, value);
        QCOMPARE(failure, valid ? QString("<no failure>")
                                : QStringLiteral("'%1' is not a valid %2 value")
                                      .arg(text, integer ? "integer" : "floating point"));
    }

    void mulDivRounding_data()
    {
        jftest::columns<int, int, int, int>("a", "b", "c", "result");
        row("476 at 600 dpi", 476, 600, 96, 2975);
        row("506 at 600 dpi: half goes up", 506, 600, 96, 3163);
        row("476 at 300 dpi: half goes up", 476, 300, 96, 1488);
        row("506 at 300 dpi: quarter goes down", 506, 300, 96, 1581);
        row("negative half goes down", -506, 600, 96, -3163);
        row("negative divisor", 5, 1, -2, -3);
        row("both negative", -5, 1, -2, 3);
        row("product beyond 32 bits", 2000000000, 3, 4, 1500000000);
        row("zero divisor", 5, 1, 0, -1);
        row("result beyond 32 bits", 2000000000, 2, 1, -1);
    }

    void mulDivRounding()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(int, result);
        QCOMPARE(jf::mulDiv(a, b, c), result);
    }

    // A message as the one error report shows it.
    void errorReportText()
    {
        for (const auto& [message, shown] :
             {std::pair{"File not found", "File not found."},
              {"I/O error 5", "I/O error 5."},
              {"'' is not a valid integer value", "'' is not a valid integer value."},
              {"List index out of bounds (-1)", "List index out of bounds (-1)"},
              {"Done.", "Done."},
              {"Cannot open \"x\"", "Cannot open \"x\""},
              {"a/", "a/."},
              {"", ""}})
            QCOMPARE(jf::errorReportText(message), QString(shown));
    }

    void fitPreview_data()
    {
        jftest::columns<QString, QString, QSize, QString>("width", "height", "size", "failure");
        row("DVD", "270", "184", QSize(356, 243), "<no failure>");
        row("DVD inside", "130", "184", QSize(195, 276), "<no failure>");
        row("square", "120", "120", QSize(276, 276), "<no failure>");
        row("box", "356", "276", QSize(356, 276), "<no failure>");
        row("half to even down", "8", "1", QSize(356, 44), "<no failure>");
        row("half to even up", "8", "3", QSize(356, 134), "<no failure>");
        row("very wide", "9999", "1", QSize(356, 0), "<no failure>");
        row("very tall", "1", "9999", QSize(0, 276), "<no failure>");
        row("height 00", "270", "00", QSize(356, 0), "<no failure>");
        row("swapped DVD", "184", "270", QSize(188, 276), "<no failure>");
        row("leading zeros", "0270", "0184", QSize(356, 243), "<no failure>");
        row("width 00", "00", "184", QSize(), "Floating point division by zero");
        row("both 00", "00", "0000", QSize(), "Invalid floating point operation");
        row("pasted height", "270", "1a", QSize(), "'1a' is not a valid integer value");
        row("height read first", "x", "y", QSize(), "'y' is not a valid integer value");
    }

    void fitPreview()
    {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QSize, size);
        QFETCH(QString, failure);
        QSize got;
        QCOMPARE(jftest::failureOf([&] {
                     const jf::PreviewSize fitted = jf::fitPreview(width, height);
                     got = QSize(fitted.width, fitted.height);
                 }),
                 failure);
        QCOMPARE(got, size);
    }
};

QTEST_GUILESS_MAIN(TestNumberConvert)
#include "tst_numberconvert.moc"
