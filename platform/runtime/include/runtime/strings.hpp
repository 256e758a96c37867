#pragma once
// The runtime's string functions on UTF-8 text, counted in characters (code
// points), with the original's 1-based positions and failures (error 5 for a
// bad start or length). Windows-1252 is the codec for fixed-width binary fields.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

enum class Compare { Binary, Text };  // Text compares without regard to case

long Len(std::string_view s);
std::string Left(std::string_view s, long length);
std::string Right(std::string_view s, long length);
std::string Mid(std::string_view s, long start);                 // to the end
std::string Mid(std::string_view s, long start, long length);
// InStr(start, haystack, needle): 1-based position of needle at or after start, 0 when absent.
long InStr(std::string_view haystack, std::string_view needle, Compare cmp = Compare::Binary);
long InStr(long start, std::string_view haystack, std::string_view needle, Compare cmp = Compare::Binary);
// InStrRev(haystack, needle, start = -1 meaning the end).
long InStrRev(std::string_view haystack, std::string_view needle, long start = -1,
              Compare cmp = Compare::Binary);
std::string LCase(std::string_view s);
std::string UCase(std::string_view s);
// First letter of every word upper case, every other letter lower case; words
// are separated only by blank, tab, LF, VT, FF, CR and NUL.
std::string ProperCase(std::string_view s);
std::string Trim(std::string_view s);   // spaces only
std::string LTrim(std::string_view s);
std::string RTrim(std::string_view s);
// Split("", d) gives no items, as the original's empty array.
std::vector<std::string> Split(std::string_view s, std::string_view delimiter = " ");
std::string Join(const std::vector<std::string>& items, std::string_view delimiter = " ");
std::string Replace(std::string_view s, std::string_view find, std::string_view with,
                    Compare cmp = Compare::Binary);
// Chr(code): the character with that code; 0-255 are Windows-1252 codes
// (Chr(146) is U+2019), as the original's ANSI Chr. Negative or above 255 is error 5.
std::string Chr(long code);
// ChrW(code point): any Unicode code point.
std::string ChrW(long codePoint);
// Asc(s): the Windows-1252 code of the first character ("?" = 63 for one
// outside it); error 5 on the empty text.
int Asc(std::string_view s);
// AscW(s): the code point of the first character; error 5 on the empty text.
long AscW(std::string_view s);
std::string Space(long count);
std::string String(long count, std::string_view character);  // first character repeated
std::string String(long count, int code);                     // Chr(code) repeated
std::string StrReverse(std::string_view s);
// Equality without regard to case (LCase on both sides).
bool EqualsNoCase(std::string_view a, std::string_view b);
// The text up to its first NUL (all of it when it holds none), as a
// NUL-terminated buffer from a system call is read.
std::string TrimAtNul(std::string_view s);

// UTF-8 helpers used by the codecs.
bool IsValidUtf8(std::string_view bytes);
std::vector<char32_t> ToCodePoints(std::string_view utf8);  // invalid bytes become U+FFFD
std::string FromCodePoints(const std::vector<char32_t>& cps);
void AppendUtf8(std::string& out, char32_t cp);

namespace cp1252 {
// UTF-8 text to Windows-1252 bytes, one byte per character; characters outside
// Windows-1252 become "?".
std::string encode(std::string_view utf8);
// Windows-1252 bytes to UTF-8. The five unassigned codes (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 controls of the same value.
std::string decode(std::string_view bytes);
// True when every character of the UTF-8 text has a Windows-1252 code.
bool canEncode(std::string_view utf8);
// The code of one code point, or -1 when it has none.
int codeOf(char32_t cp);
char32_t codePointOf(unsigned char code);
}  // namespace cp1252

inline constexpr const char* vbCrLf = "\r\n";
inline constexpr const char* vbCr = "\r";
inline constexpr const char* vbLf = "\n";
inline constexpr const char* vbTab = "\t";
inline const std::string vbNullChar(1, '\0');

}  // namespace runtime
