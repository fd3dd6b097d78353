#include "ui/Numbers.h"

#include <QTest>

using namespace Qt::StringLiterals;

class NumbersTest : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("fraction") << "4.5" << 4.5;
        QTest::newRow("leading blanks and sign") << "  -12.25px" << -12.25;
        QTest::newRow("exponent") << "2e3 twips" << 2000.0;
        QTest::newRow("dangling exponent") << "7e" << 7.0;
        QTest::newRow("bare point") << ".5" << 0.5;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("overflow") << "1e999" << 0.0;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(Numbers::LeadingNumber(text), expected);
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

    void toWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("converts");
        QTest::addColumn<int>("expected");
        QTest::newRow("blanks around") << " 97 " << true << 97;
        QTest::newRow("half to even") << "92.5" << true << 92;
        QTest::newRow("exponent") << "1e3" << true << 1000;
        QTest::newRow("trailing text") << "93px" << false << 0;
        QTest::newRow("not a number") << "wide" << false << 0;
        QTest::newRow("too large") << "3000000000" << false << 0;
        QTest::newRow("infinite") << "1e999" << false << 0;
    }

    void toWhole()
    {
        QFETCH(QString, text);
        QFETCH(bool, converts);
        QFETCH(int, expected);
        const std::optional<qint32> value = Numbers::ToWhole(text);
        QCOMPARE(value.has_value(), converts);
        if (converts)
            QCOMPARE(*value, expected);
    }
};

QTEST_APPLESS_MAIN(NumbersTest)
#include "tst_numbers.moc"
