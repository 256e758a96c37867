#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

#include "runtime/convert.hpp"
#include "runtime/error.hpp"
#include "testsupport/errors.hpp"

using testsupport::errorOf;
using namespace runtime;

namespace {

// Switches to a locale that writes "," as its decimal point, when the machine
// has one, for the length of a test.
class CommaLocale {
public:
    CommaLocale() {
        const char* old = std::setlocale(LC_ALL, nullptr);
        saved_ = old ? old : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_ALL, name)) break;
        }
    }
    ~CommaLocale() { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

}  // namespace

TEST(Convert, WholeNumbersRoundHalfToEven) {
    struct Case { double in; int want; };
    const Case cases[] = {{2.5, 2},   {3.5, 4},   {-2.5, -2}, {-3.5, -4}, {0.5, 0},  {1.5, 2},
                          {2.4999, 2}, {2.5001, 3}, {-0.4, 0},  {0, 0},     {32767, 32767},
                          {-32768, -32768}, {32767.4, 32767}, {-32768.5, -32768}};
    for (const Case& c : cases) {
        EXPECT_EQ(CInt(c.in), c.want) << c.in;
        EXPECT_EQ(CLng(c.in), c.want) << c.in;
    }
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(CLng(-2147483648.0), -2147483647 - 1);
    EXPECT_EQ(CByte(254.5), 254);
    EXPECT_EQ(RoundHalfEven(-0.5), 0);
    EXPECT_EQ(Round(2.5), 2);
    EXPECT_DOUBLE_EQ(Round(1.25, 1), 1.2);
    EXPECT_DOUBLE_EQ(Round(1.35, 1), 1.4);
    EXPECT_DOUBLE_EQ(Round(3.14159, 2), 3.14);
    EXPECT_EQ(Int(-2.5), -3);
    EXPECT_EQ(Fix(-2.5), -2);
    EXPECT_EQ(Int(2.9), 2);
}

TEST(Convert, OverflowIsError6) {
    EXPECT_EQ(errorOf([] { CInt(32767.5); }), 6);
    EXPECT_EQ(errorOf([] { CInt(-32769.0); }), 6);
    EXPECT_EQ(errorOf([] { CInt(std::nan("")); }), 6);
    EXPECT_EQ(errorOf([] { CInt("40000"); }), 6);
    EXPECT_EQ(errorOf([] { CLng(2147483647.5); }), 6);
    EXPECT_EQ(errorOf([] { CLng("3000000000"); }), 6);
    EXPECT_EQ(errorOf([] { CByte(-1.0); }), 6);
    EXPECT_EQ(errorOf([] { CByte("300"); }), 6);
    EXPECT_EQ(errorOf([] { CByte(255.5); }), 6);
    EXPECT_EQ(errorOf([] { CSng(1e39); }), 6);
    EXPECT_EQ(errorOf([] { CSng("-1e39"); }), 6);
    EXPECT_EQ(errorOf([] { CDbl("1e309"); }), 6);
    EXPECT_EQ(errorOf([] { CDbl("&H100000000"); }), 6);
    EXPECT_EQ(errorOf([] { Round(1, -1); }), 5);
    EXPECT_EQ(CDbl("1e-400"), 0);  // too small is zero, not an error
}

TEST(Convert, TextToNumbers) {
    struct Case { const char* text; double want; };
    const Case cases[] = {
        {"12", 12},         {"  12  ", 12},     {"-5", -5},        {"+5", 5},        {"- 5", -5},
        {"2.5", 2.5},       {".5", 0.5},        {"5.", 5},         {"1,234", 1234},  {"1,234,567.5", 1234567.5},
        {"1e3", 1000},      {"1E+3", 1000},     {"2.5e-1", 0.25},  {"1D2", 100},     {"&HFF", 255},
        {"&hff", 255},      {"&HFFFF", -1},     {"&H10000", 65536}, {"&HFFFFFFFF", -1}, {"&O17", 15},
        {"\t7\r\n", 7},     {"007", 7},         {"True", -1},      {"false", 0},     {" TRUE ", -1},
        {"1e-400", 0},      {".00", 0},         {".01", 0.01},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(CDbl(c.text), c.want) << c.text;
    EXPECT_EQ(CInt("2.5"), 2);
    EXPECT_EQ(CInt("3.5"), 4);
    EXPECT_EQ(CInt("True"), -1);
    EXPECT_EQ(CLng("-2500"), -2500);
    EXPECT_EQ(CByte("255"), 255);
    EXPECT_FLOAT_EQ(CSng("0.1"), 0.1f);
}

TEST(Convert, TextThatIsNoNumberIsError13) {
    for (const char* text : {"", "   ", "abc", "12abc", "1 2", ".", "-", "+", "1e", "1e+", "1.2.3", "&H", "&HXYZ",
                             "&O8", ",5", "1..2", "Truee", "$5", "5%", "0x10", "1-"}) {
        EXPECT_EQ(errorOf([&] { CDbl(text); }), 13) << text;
        EXPECT_EQ(errorOf([&] { CInt(text); }), 13) << text;
        EXPECT_FALSE(IsNumeric(text)) << text;
    }
    EXPECT_EQ(errorOf([] { CByte("x"); }), 13);
    EXPECT_EQ(errorOf([] { CLng("x"); }), 13);
    EXPECT_EQ(errorOf([] { CSng("x"); }), 13);
    EXPECT_EQ(errorOf([] { CBool("yes"); }), 13);
    EXPECT_EQ(errorOf([] { CBool(""); }), 13);
}

TEST(Convert, Booleans) {
    EXPECT_TRUE(CBool("True"));
    EXPECT_TRUE(CBool("tRUE"));
    EXPECT_FALSE(CBool("False"));
    EXPECT_TRUE(CBool("1"));
    EXPECT_TRUE(CBool("-1"));
    EXPECT_TRUE(CBool("0.5"));
    EXPECT_FALSE(CBool("0"));
    EXPECT_FALSE(CBool(0.0));
    EXPECT_TRUE(CBool(2.0));
    EXPECT_TRUE(IsNumeric(" 1,000.5 "));
    EXPECT_TRUE(IsNumeric("&HFF"));
    EXPECT_FALSE(IsNumeric("True"));
    EXPECT_FALSE(IsNumeric("1e999"));
}

TEST(Convert, ValReadsTheLeadingNumberAndNeverFailsOnText) {
    struct Case { const char* text; double want; };
    const Case cases[] = {
        {"12abc", 12},      {"  1 2 3", 123},  {"&HFF", 255},     {"&HFFFF", -1},  {"&hff", 255},
        {"&O17", 15},       {"&H", 0},         {"&X1", 0},        {"abc", 0},      {"", 0},
        {"1e3", 1000},      {"1E3x", 1000},    {"1e", 1},         {"1e+", 1},      {"2d2", 200},
        {".", 0},           {".5", 0.5},       {"-.5", -0.5},     {"5.", 5},       {"1.2.3", 1.2},
        {"1,000", 1},       {"-12", -12},      {"+12", 12},       {"--1", 0},      {"\t4\n2", 42},
        {"3\r4", 3},        {"  -  7 ", -7},   {"128 Bytes", 128}, {"-0", 0},      {"00042", 42},
        {"1.5 KB", 1.5},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(Val(c.text), c.want) << c.text;
    EXPECT_FALSE(std::signbit(Val("-0")));
}

TEST(Convert, CStrWritesNumbersAsTheOriginal) {
    struct Case { double in; const char* want; };
    const Case doubles[] = {
        {0, "0"},
        {-0.0, "0"},
        {1.5, "1.5"},
        {-2500, "-2500"},
        {0.5, "0.5"},
        {-0.25, "-0.25"},
        {1e20, "1E+20"},
        {1e15, "1E+15"},
        {999999999999999, "999999999999999"},
        {123456789012345678.0, "1.23456789012346E+17"},
        {1e-5, "1E-05"},
        {1.5e-7, "1.5E-07"},
        {0.0001, "0.0001"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {100, "100"},
        {123.456, "123.456"},
        {1e100, "1E+100"},
        {-1e-100, "-1E-100"},
        {12.0, "12"},
    };
    for (const Case& c : doubles) EXPECT_EQ(CStr(c.in), c.want) << c.want;
    struct SCase { float in; const char* want; };
    const SCase singles[] = {
        {2.5f, "2.5"},  {0.1f, "0.1"},  {1234567.0f, "1234567"},  {12345678.0f, "1.234568E+07"},
        {1e7f, "1E+07"}, {1e-5f, "1E-05"}, {3.14159265f, "3.141593"}, {-1000.0f, "-1000"}, {12.0f, "12"},
    };
    for (const SCase& c : singles) EXPECT_EQ(CStrSingle(c.in), c.want) << c.want;
    EXPECT_EQ(CStr(2.5f), "2.5");
    EXPECT_EQ(CStr(true), "True");
    EXPECT_EQ(CStr(false), "False");
    EXPECT_EQ(CStr(-2500), "-2500");
    EXPECT_EQ(CStr(static_cast<short>(-1)), "-1");
    EXPECT_EQ(CStr(static_cast<unsigned char>(255)), "255");
    EXPECT_EQ(CStr(4294967295UL), "4294967295");
    EXPECT_EQ(CStr(-9000000000LL), "-9000000000");
}

TEST(Convert, IgnoresTheProcessLocale) {
    CommaLocale comma;
    EXPECT_EQ(CStr(1.5), "1.5");
    EXPECT_EQ(CStrSingle(0.25f), "0.25");
    EXPECT_DOUBLE_EQ(CDbl("1,234.5"), 1234.5);
    EXPECT_DOUBLE_EQ(Val("2.75"), 2.75);
    EXPECT_EQ(CInt("2.5"), 2);
}

TEST(Convert, RoundTripsThroughText) {
    for (double v : {0.1, 1.0 / 7, 12345.678, -98.6, 1e-3, 65535.0}) {
        EXPECT_NEAR(CDbl(CStr(v)), v, std::fabs(v) * 1e-14) << v;
    }
    // Seven significant digits hold a single to within half a unit of the seventh.
    for (float v : {0.1f, 1.0f / 7, 12345.67f, -98.6f}) EXPECT_NEAR(CSng(CStrSingle(v)), v, std::fabs(v) * 5e-7) << v;
}
