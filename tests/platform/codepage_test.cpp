#include "platform/codepage.h"

#include <QtTest>

using namespace platform;

class CodepageTest : public QObject
{
    Q_OBJECT

private slots:
    void knownCharacters()
    {
        QCOMPARE(utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC"), std::string("caf\xE9 \x80"));
        QCOMPARE(
            utf16ToCp1252(u"caf\u00E9 \u20AC \u0160\u0178"), std::string("caf\xE9 \x80 \x8A\x9F"));
        QCOMPARE(cp1252ToUtf8("\xE9\x80\x99"), std::string("\xC3\xA9\xE2\x82\xAC\xE2\x84\xA2"));
        QCOMPARE(cp1252ToUtf16("\xE9\x80\x9C"), std::u16string(u"\u00E9\u20AC\u0153"));
    }

    void outsideCharactersBecomeQuestionMarks()
    {
        // Cyrillic, a CJK character, an emoji (one character, two UTF-16
        // units), and C1 controls that the code page puts letters in place of.
        QCOMPARE(utf16ToCp1252(u"\u0416\u4E2D\U0001F600\u0080\u0099x"), std::string("?????x"));
        QCOMPARE(
            utf8ToCp1252("\xD0\x96\xE4\xB8\xAD\xF0\x9F\x98\x80\xC2\x80x"), std::string("????x"));
        // Broken UTF-8: a stray continuation byte, a cut sequence, an
        // overlong '/', and a lone surrogate.
        QCOMPARE(utf8ToCp1252("\x80"
                              "a\xE2\x82"
                              "b\xC0\xAF"
                              "c\xED\xA0\x80"),
            std::string("?a??b??c???"));
        QCOMPARE(utf16ToCp1252(std::u16string(1, char16_t(0xDC00))), std::string("?"));
    }

    void everyByteSurvivesTheRoundTrip()
    {
        std::string all;
        for (int byte = 0; byte < 256; ++byte)
            all += static_cast<char>(byte);
        QCOMPARE(utf16ToCp1252(cp1252ToUtf16(all)), all);
        QCOMPARE(utf8ToCp1252(cp1252ToUtf8(all)), all);
        // The five bytes the code page leaves open stand for the control of
        // the same number.
        QCOMPARE(cp1252ToUtf16("\x81\x8D\x8F\x90\x9D"),
            std::u16string(u"\u0081\u008D\u008F\u0090\u009D"));
    }

    void upperCaseStaysInTheCodePage()
    {
        QCOMPARE(upperCp1252(u"az \u00E0\u00E9\u00FE \u0161\u0153\u017E\u00FF"),
            std::u16string(u"AZ \u00C0\u00C9\u00DE \u0160\u0152\u017D\u0178"));
        // No capital in the code page: sharp s, micro sign, the division sign
        // among the small letters; capitals, digits and signs stay too.
        QCOMPARE(upperCp1252(u"stra\u00DFe \u00B5 \u00F7 \u00C9\u00D7Z9\u20AC"),
            std::u16string(u"STRA\u00DFE \u00B5 \u00F7 \u00C9\u00D7Z9\u20AC"));
        // Characters outside the code page, even those whose capital is in
        // it (dotless i, the ff ligature), an emoji and a lone surrogate stay
        // as they are, unit for unit.
        const std::u16string outside
            = u"\u0436\u03B1\u0131\uFB00\U0001F600" + std::u16string(1, char16_t(0xD800));
        QCOMPARE(upperCp1252(outside), outside);
    }
};

QTEST_APPLESS_MAIN(CodepageTest)
#include "codepage_test.moc"
