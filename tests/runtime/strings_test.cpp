#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "runtime/error.hpp"
#include "runtime/strings.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using namespace runtime;

TEST(Strings, LengthAndPiecesCountCharactersNotBytes) {
    const std::string s = "Beyoncé – Déjà vu";  // é, – (3 bytes), é, à
    EXPECT_EQ(Len(s), 17);
    EXPECT_EQ(Len(""), 0);
    EXPECT_EQ(Left(s, 7), "Beyoncé");
    EXPECT_EQ(Right(s, 7), "Déjà vu");
    EXPECT_EQ(Mid(s, 9, 1), "–");
    EXPECT_EQ(Mid(s, 11), "Déjà vu");
    EXPECT_EQ(Len(std::string("a\0b", 3)), 3);  // NUL is a character like any other
}

TEST(Strings, PiecesAtTheEdges) {
    const std::string abc = "abc";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Left(abc, 0), ""},        {Left(abc, 3), "abc"},    {Left(abc, 99), "abc"},
        {Right(abc, 0), ""},       {Right(abc, 2), "bc"},    {Right(abc, 99), "abc"},
        {Mid(abc, 1), "abc"},      {Mid(abc, 3), "c"},       {Mid(abc, 4), ""},
        {Mid(abc, 99), ""},        {Mid(abc, 2, 0), ""},     {Mid(abc, 2, 1), "b"},
        {Mid(abc, 2, 99), "bc"},   {Mid(abc, 4, 1), ""},     {Mid("", 1, 5), ""},
        {Left("", 2), ""},         {Right("", 2), ""},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(cases[i].first, cases[i].second) << "case " << i;
}

TEST(Strings, BadStartOrNegativeLengthIsError5) {
    EXPECT_EQ(errorOf([] { Mid("abc", 0); }), 5);
    EXPECT_EQ(errorOf([] { Mid("abc", -1, 1); }), 5);
    EXPECT_EQ(errorOf([] { Mid("abc", 1, -1); }), 5);
    EXPECT_EQ(errorOf([] { Left("abc", -1); }), 5);
    EXPECT_EQ(errorOf([] { Right("abc", -1); }), 5);
    EXPECT_EQ(errorOf([] { InStr(0, "abc", "a"); }), 5);
    EXPECT_EQ(errorOf([] { InStrRev("abc", "a", 0); }), 5);
    EXPECT_EQ(errorOf([] { InStrRev("abc", "a", -2); }), 5);
    EXPECT_EQ(errorOf([] { Space(-1); }), 5);
    EXPECT_EQ(errorOf([] { Space(1L << 40); }), 7);
    EXPECT_EQ(errorOf([] { String(-1, "x"); }), 5);
    EXPECT_EQ(errorOf([] { String(3, ""); }), 5);
    EXPECT_EQ(errorOf([] { Chr(256); }), 5);
    EXPECT_EQ(errorOf([] { Chr(-1); }), 5);
    EXPECT_EQ(errorOf([] { Asc(""); }), 5);
    EXPECT_EQ(errorOf([] { AscW(""); }), 5);
    EXPECT_EQ(errorOf([] { ChrW(0xD800); }), 5);
    EXPECT_EQ(errorOf([] { ChrW(0x110000); }), 5);
}

TEST(Strings, InStrFindsCharacterPositions) {
    struct Case { long start; const char* hay; const char* needle; Compare cmp; long want; };
    const Case cases[] = {
        {1, "abcabc", "bc", Compare::Binary, 2},
        {3, "abcabc", "bc", Compare::Binary, 5},
        {6, "abcabc", "bc", Compare::Binary, 0},
        {1, "abcabc", "x", Compare::Binary, 0},
        {1, "abc", "", Compare::Binary, 1},
        {3, "abc", "", Compare::Binary, 3},
        {4, "abc", "", Compare::Binary, 0},     // start beyond the text
        {9, "abc", "a", Compare::Binary, 0},
        {1, "", "", Compare::Binary, 0},
        {1, "", "a", Compare::Binary, 0},
        {1, "ABCabc", "bc", Compare::Binary, 5},
        {1, "ABCabc", "bc", Compare::Text, 2},
        {1, "Ärger über Öl", "öl", Compare::Text, 12},
        {1, "Ärger über Öl", "öl", Compare::Binary, 0},
        {1, "éé.mp3", ".mp3", Compare::Binary, 3},
        {1, "ПРИВЕТ мир", "привет", Compare::Text, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InStr(c.start, c.hay, c.needle, c.cmp), c.want) << c.start << " " << c.hay << " " << c.needle;
    }
    EXPECT_EQ(InStr("C:\\Music\\song.mp3", "\\"), 3);
}

TEST(Strings, InStrRevFindsTheLastMatchWithinStart) {
    struct Case { const char* hay; const char* needle; long start; Compare cmp; long want; };
    const Case cases[] = {
        {"a\\b\\c.mp3", "\\", -1, Compare::Binary, 4},
        {"a\\b\\c.mp3", "\\", 3, Compare::Binary, 2},
        {"a\\b\\c.mp3", "\\", 1, Compare::Binary, 0},
        {"abcabc", "abc", 5, Compare::Binary, 1},  // the match must end at or before start
        {"abcabc", "abc", 6, Compare::Binary, 4},
        {"abc", "abcd", -1, Compare::Binary, 0},
        {"abc", "", -1, Compare::Binary, 3},
        {"abc", "", 2, Compare::Binary, 2},
        {"abc", "a", 4, Compare::Binary, 0},      // start beyond the text
        {"", "a", -1, Compare::Binary, 0},
        {"Song.MP3", ".mp3", -1, Compare::Text, 5},
        {"Song.MP3", ".mp3", -1, Compare::Binary, 0},
        {"déjà/vu/ça", "/", -1, Compare::Binary, 8},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InStrRev(c.hay, c.needle, c.start, c.cmp), c.want) << c.hay << " " << c.needle << " " << c.start;
    }
}

TEST(Strings, CaseMappingCoversTheEuropeanScripts) {
    struct Case { const char* lower; const char* upper; };
    const Case cases[] = {
        {"abc xyz 123 !?", "ABC XYZ 123 !?"},
        {"àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ", "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ"},
        {"ÿ", "Ÿ"},
        {"× ÷ ß µ ©", "× ÷ ß µ ©"},  // no case, or no single upper-case letter
        {"āăąćĉċčďđēĕėęěĝğġģĥħĩīĭįĳĵķ", "ĀĂĄĆĈĊČĎĐĒĔĖĘĚĜĞĠĢĤĦĨĪĬĮĲĴĶ"},
        {"ĺļľŀłńņňŋōŏőœŕŗřśŝşšţťŧũūŭůűųŵŷźżž", "ĹĻĽĿŁŃŅŇŊŌŎŐŒŔŖŘŚŜŞŠŢŤŦŨŪŬŮŰŲŴŶŹŻŽ"},
        {"αβγδεζηθικλμνξοπρστυφχψω", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"},
        {"άέήίόύώϊϋ", "ΆΈΉΊΌΎΏΪΫ"},
        {"абвгдежзийклмнопрстуфхцчшщъыьэюя", "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
        {"ѐёђѓєѕіїјљњћќѝўџ", "ЀЁЂЃЄЅІЇЈЉЊЋЌЍЎЏ"},
        {"ґғқңүұһәөӏ", "ҐҒҚҢҮҰҺӘӨӀ"},
        {"ạảấầẩẫậ", "ẠẢẤẦẨẪẬ"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UCase(c.lower), c.upper) << c.lower;
        EXPECT_EQ(LCase(c.upper), c.lower) << c.upper;
    }
    EXPECT_EQ(UCase("ς"), "Σ");   // final sigma
    EXPECT_EQ(UCase("ı"), "I");   // dotless i
    EXPECT_EQ(LCase("İ"), "i");
    // A byte that is not UTF-8 passes through unchanged.
    EXPECT_EQ(UCase(std::string("a\xE9z")), std::string("A\xE9Z"));
}

TEST(Strings, CaseMappingIgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    for (const char* name : {"tr_TR.UTF-8", "de_DE.UTF-8", "C.UTF-8", "C"}) {
        if (!std::setlocale(LC_ALL, name)) continue;
        EXPECT_EQ(UCase("istanbul é"), "ISTANBUL É") << name;
        EXPECT_EQ(LCase("ISTANBUL É"), "istanbul é") << name;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(Strings, ProperCaseStartsWordsOnlyAfterWhiteSpace) {
    struct Case { const char* in; const char* want; };
    const Case cases[] = {
        {"HELLO WORLD", "Hello World"},
        {"rock'n'roll", "Rock'n'roll"},
        {"hip-hop", "Hip-hop"},
        {"AC/DC", "Ac/dc"},
        {"3rd", "3rd"},
        {"5great song", "5great Song"},
        {"© 2004 label", "© 2004 Label"},
        {"(live) at WEMBLEY", "(live) At Wembley"},
        {"one\ttwo\nthree\rfour\vfive\fsix", "One\tTwo\nThree\rFour\vFive\fSix"},
        {"  leading  blanks ", "  Leading  Blanks "},
        {"élan ÉCOLE", "Élan École"},
        {"ЗДРАВСТВУЙ мир", "Здравствуй Мир"},
        {"ΚΑΛΗ ΜΕΡΑ", "Καλη Μερα"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ProperCase(c.in), c.want) << c.in;
    EXPECT_EQ(ProperCase(std::string("ab\0cd", 5)), std::string("Ab\0Cd", 5));
    EXPECT_EQ(ProperCase(ProperCase("HELLO world")), ProperCase("HELLO world"));
    EXPECT_EQ(ProperCase(std::string("\xC9" "COLE")), std::string("\xC9" "cole"));  // a stray byte belongs to its word
}

TEST(Strings, TrimRemovesSpacesOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(LTrim("  a b  "), "a b  ");
    EXPECT_EQ(RTrim("  a b  "), "  a b");
    EXPECT_EQ(Trim("\t a \t"), "\t a \t");
    EXPECT_EQ(Trim(std::string("a\0 ", 3)), std::string("a\0", 2));
    EXPECT_EQ(Trim("    "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(TrimAtNul(std::string("Title\0\0\0", 8)), "Title");
    EXPECT_EQ(TrimAtNul("no nul"), "no nul");
}

TEST(Strings, SplitJoinAndReplace) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Split(""), V{});
    EXPECT_EQ(Split("", ","), V{});
    EXPECT_EQ(Split("a b"), (V{"a", "b"}));
    EXPECT_EQ(Split("a,,b,", ","), (V{"a", "", "b", ""}));
    EXPECT_EQ(Split("one", ","), V{"one"});
    EXPECT_EQ(Split("a - b - c", " - "), (V{"a", "b", "c"}));
    EXPECT_EQ(Split("abc", ""), V{"abc"});
    EXPECT_EQ(Split("é–é", "–"), (V{"é", "é"}));
    EXPECT_EQ(Join(V{"a", "b", "c"}, "\\"), "a\\b\\c");
    EXPECT_EQ(Join(V{}, ","), "");

    EXPECT_EQ(Replace("a_b_c", "_", " "), "a b c");
    EXPECT_EQ(Replace("aaa", "aa", "b"), "ba");
    EXPECT_EQ(Replace("abc", "", "x"), "abc");
    EXPECT_EQ(Replace("", "a", "x"), "");
    EXPECT_EQ(Replace("Song.MP3", ".mp3", ""), "Song.MP3");
    EXPECT_EQ(Replace("Song.MP3", ".mp3", "", Compare::Text), "Song");
    EXPECT_EQ(Replace("Ça ça", "ÇA", "x", Compare::Text), "x x");
    // Text that is not UTF-8 keeps its bytes.
    EXPECT_EQ(Replace(std::string("\xE9_\xE9"), "_", "-"), std::string("\xE9-\xE9"));
    EXPECT_EQ(StrReverse("abé"), "éba");
}

TEST(Strings, CharactersAndCodesFollowWindows1252) {
    EXPECT_EQ(Chr(65), "A");
    EXPECT_EQ(Chr(0), std::string(1, '\0'));
    EXPECT_EQ(Chr(146), "\u2019");
    EXPECT_EQ(Chr(128), "\u20AC");
    EXPECT_EQ(Chr(233), "é");
    EXPECT_EQ(Chr(129), "\u0081");
    EXPECT_EQ(Asc("A"), 65);
    EXPECT_EQ(Asc("ABC"), 65);
    EXPECT_EQ(Asc("\u2019"), 146);
    EXPECT_EQ(Asc("€"), 128);
    EXPECT_EQ(Asc("é"), 233);
    EXPECT_EQ(Asc("Ж"), 63);  // outside Windows-1252
    EXPECT_EQ(AscW("Ж"), 0x416);
    EXPECT_EQ(ChrW(0x416), "Ж");
    EXPECT_EQ(ChrW(-1), "\uFFFF");
    EXPECT_EQ(ChrW(0x1F3B5), "\U0001F3B5");
    for (int code = 0; code < 256; ++code) EXPECT_EQ(Asc(Chr(code)), code) << code;

    EXPECT_EQ(Space(3), "   ");
    EXPECT_EQ(Space(0), "");
    EXPECT_EQ(String(3, "é!"), "ééé");
    EXPECT_EQ(String(2, 42), "**");
    EXPECT_EQ(String(2, 256 + 65), "AA");
    EXPECT_EQ(String(0, "x"), "");
    EXPECT_TRUE(EqualsNoCase("Ärger", "äRGER"));
    EXPECT_FALSE(EqualsNoCase("a", "b"));
}

TEST(Strings, Utf8Helpers) {
    EXPECT_TRUE(IsValidUtf8("plain é – \U0001F3B5"));
    EXPECT_TRUE(IsValidUtf8(""));
    for (const char* bad : {"\xE9", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xE2\x82"}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
    EXPECT_EQ(ToCodePoints("aé\xFF"), (std::vector<char32_t>{'a', 0xE9, 0xFFFD}));
    EXPECT_EQ(FromCodePoints({'a', 0xE9, 0x1F3B5}), "aé\U0001F3B5");
    std::string out;
    AppendUtf8(out, 0xD800);  // a lone surrogate has no UTF-8 form
    EXPECT_EQ(out, "\uFFFD");
    // A stray byte counts as one character.
    EXPECT_EQ(Len(std::string("a\xE9z")), 3);
    EXPECT_EQ(Mid(std::string("a\xE9z"), 2, 1), std::string("\xE9"));
}

TEST(Cp1252, EncodeAndDecodeRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    const std::string text = cp1252::decode(all);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(Len(text), 256);
    EXPECT_EQ(cp1252::encode(text), all);
    EXPECT_TRUE(cp1252::canEncode(text));

    struct Case { unsigned char code; char32_t cp; };
    const Case cases[] = {{0x80, 0x20AC}, {0x81, 0x81}, {0x8D, 0x8D}, {0x8F, 0x8F}, {0x90, 0x90},
                          {0x9D, 0x9D},   {0x92, 0x2019}, {0x96, 0x2013}, {0x9F, 0x178}, {0xA0, 0xA0},
                          {0xFF, 0xFF},   {0x41, 'A'},  {0x00, 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(cp1252::codePointOf(c.code), c.cp) << int(c.code);
        EXPECT_EQ(cp1252::codeOf(c.cp), c.code) << int(c.code);
    }
    EXPECT_EQ(cp1252::codeOf(0x80), -1);   // U+0080 is not the code 0x80 (that is the euro sign)
    EXPECT_EQ(cp1252::codeOf(0x416), -1);
}

TEST(Cp1252, CharactersOutsideBecomeQuestionMarks) {
    EXPECT_EQ(cp1252::encode("Beyoncé – “Halo”"), "Beyonc\xE9 \x96 \x93Halo\x94");
    EXPECT_EQ(cp1252::encode("Кино"), "????");
    EXPECT_EQ(cp1252::encode("a\U0001F3B5b"), "a?b");
    EXPECT_EQ(cp1252::encode(std::string("x\xC3y")), "x?y");  // a stray byte is no character of it
    EXPECT_FALSE(cp1252::canEncode("Кино"));
    EXPECT_FALSE(cp1252::canEncode(std::string("\xE9")));
    EXPECT_TRUE(cp1252::canEncode("Café €5"));
    EXPECT_EQ(cp1252::decode("Caf\xE9 \x80"), "Café €");
    EXPECT_EQ(cp1252::encode(std::string("a\0b", 3)), std::string("a\0b", 3));
}
