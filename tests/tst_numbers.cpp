#include "ui/Numbers.h"

#include <QTest>

using namespace Qt::StringLiterals;

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber()
    {
        const QList<QPair<QString, double>> cases = {{"4.5", 4.5}, {"  -12.25px", -12.25}, {"2e3 twips", 2000.0}, {"7e", 7.0},
                                                     {".5", 0.5}, {"abc", 0.0}, {"1e999", 0.0}};
        for (const auto &[text, expected] : cases)
            QVERIFY2(Numbers::LeadingNumber(text) == expected, qPrintable(text));
    }

    void roundingAndTruth()
    {
        QCOMPARE(Numbers::RoundHalfEven(4.5), 4);
        QCOMPARE(Numbers::RoundHalfEven(5.5), 6);
        QCOMPARE(Numbers::RoundHalfEven(-2.5), -2);
        QCOMPARE(Numbers::RoundHalfEven(1e12), std::numeric_limits<qint32>::max());
        QCOMPARE(Numbers::RoundHalfEven(-1e12), std::numeric_limits<qint32>::min());
        QCOMPARE(Numbers::FormatWhole(2.5), u"3"_s);
        QCOMPARE(Numbers::FormatWhole(-2.5), u"-3"_s);
        QCOMPARE(Numbers::FormatWhole(1440.4), u"1440"_s);
        QCOMPARE(Numbers::FormatWhole(-0.4), u"0"_s);
        QCOMPARE(Numbers::ToBoolean(u"True"_s), std::optional<bool>(true));
        QCOMPARE(Numbers::ToBoolean(u" false "_s), std::optional<bool>(false));
        QCOMPARE(Numbers::ToBoolean(u"-1"_s), std::optional<bool>(true));
        QCOMPARE(Numbers::ToBoolean(u"0"_s), std::optional<bool>(false));
        QCOMPARE(Numbers::ToBoolean(u"0.0"_s), std::optional<bool>(false));
        QVERIFY(!Numbers::ToBoolean(u"yes"_s).has_value() && !Numbers::ToBoolean(QString()).has_value());
        QCOMPARE(Numbers::BooleanText(true), u"True"_s);
    }

    // Whole numbers with blanks around, halves to even and exponents; anything else, or
    // beyond 32 bits, is no number.
    void toWhole()
    {
        const QList<QPair<QString, std::optional<qint32>>> cases = {
            {" 97 ", 97}, {"92.5", 92}, {"1e3", 1000}, {"93px", {}}, {"wide", {}}, {"3000000000", {}}, {"1e999", {}}};
        for (const auto &[text, expected] : cases)
            QVERIFY2(Numbers::ToWhole(text) == expected, qPrintable(text));
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
