// The profile-file rules, as a table: raw file contents in, calls with what each must
// answer (and leave in the caller's buffer), and the file's bytes afterwards. The same
// table runs against the simulated platform (tests/native/sim_profile_files_test.cpp)
// and against the real functions under wine64 (tests/wine/probes/profile_table_probe.cpp);
// where the two disagree, the simulated platform is wrong.
#pragma once

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace profiletable {

using namespace std::string_literals;

enum class Op { ReadInt, ReadString, ReadSection, Write };

struct Step {
    Op op;
    const char* section;
    const char* key;
    const char* text;  // the value written, or the default of ReadString
    int number;        // the default of ReadInt
    DWORD size;        // the caller's buffer for ReadString and ReadSection
    long long result;
    std::string buffer;  // what the call leaves in the buffer; the rest stays untouched
};

inline Step readInt(const char* section, const char* key, int fallback, long long expected) {
    return Step{Op::ReadInt, section, key, nullptr, fallback, 0, expected, ""};
}
inline Step readString(const char* section, const char* key, const char* fallback, DWORD size, long long expected,
                std::string buffer) {
    return Step{Op::ReadString, section, key, fallback, 0, size, expected, buffer};
}
inline Step readSection(const char* section, DWORD size, long long expected, std::string buffer) {
    return Step{Op::ReadSection, section, nullptr, nullptr, 0, size, expected, buffer};
}
inline Step write(const char* section, const char* key, const char* value, long long expected = TRUE) {
    return Step{Op::Write, section, key, value, 0, 0, expected, ""};
}

inline const std::optional<std::string> NO_FILE;

struct Case {
    const char* name;
    std::optional<std::string> before;
    std::vector<Step> steps;
    std::optional<std::string> after;
};

// The section and the key quoting of the plug-in's own files.
inline const char* const OURS = "Tamsel Loudmark";

inline const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        // ---- the shape of a new file
        {"NewFileHasSectionThenQuotedKeyWithCrLf", NO_FILE,
         {write(OURS, "\"Enabled\"", "1"), readInt(OURS, "\"Enabled\"", -1, 1), readInt(OURS, "Enabled", -1, -1)},
         "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n"s},
        {"NewSectionsFollowEachOtherWithoutBlankLines", NO_FILE,
         {write("t", "b", "2"), write("u", "c", "3")},
         "[t]\r\nb=2\r\n[u]\r\nc=3\r\n"s},
        {"EmptyValueIsWrittenAsNothingAfterTheEquals", NO_FILE, {write("s", "k", "")}, "[s]\r\nk=\r\n"s},
        {"LeadingBlanksOfNamesAndValueGoTrailingOnesStay", NO_FILE,
         {write(" s ", " k ", " v "), readString("s", "k", "D", 10, 1, "v\0"s)},
         "[s ]\r\nk =v \r\n"s},
        {"MissingFileReadsAsDefaults", NO_FILE,
         {readInt("s", "k", -7, -7), readString("s", "k", "dflt", 10, 4, "dflt\0"s), readSection("s", 10, 0, "\0\0"s)},
         NO_FILE},

        // ---- matching names
        {"SectionAndKeyMatchInAnyCaseAndAWriteKeepsTheSpelling", "[Sec]\r\nKey=1\r\n"s,
         {readInt("SEC", "kEy", -1, 1), write("sec", "KEY", "2")},
         "[Sec]\r\nKey=2\r\n"s},
        {"BytesAboveAsciiHaveNoCase", "[s]\r\n\xC4x=1\r\n"s,
         {readInt("s", "\xE4x", -1, -1), write("s", "\xE4x", "2"), readInt("s", "\xC4x", -1, 1)},
         "[s]\r\n\xC4x=1\r\n\xE4x=2\r\n"s},
        {"BytesAboveAsciiAreStoredRaw", "[s]\r\na=1\r\n"s,
         {write("s", "\x81\x8D\x8F\x90\x9D\xFF", "2"), readInt("s", "\x81\x8D\x8F\x90\x9D\xFF", -1, 2)},
         "[s]\r\na=1\r\n\x81\x8D\x8F\x90\x9D\xFF=2\r\n"s},
        {"BlanksAroundKeysAndValuesAreTrimmedOnRead", "[s]\r\n   k1   =   42   \r\n\f k \f=\f 5\f\r\n"s,
         {readInt("s", "k1", -1, 42), readString("s", "k1", "D", 10, 2, "42\0"s), readString("s", "k", "D", 10, 1, "5\0"s)},
         "[s]\r\n   k1   =   42   \r\n\f k \f=\f 5\f\r\n"s},
        {"NamesAskedForAreTrimmedToo", "[s]\r\nk=1\r\n"s,
         {readString("s", "\tk\t", "D", 10, 1, "1\0"s), readString(" s ", "k", "D", 10, 1, "1\0"s),
          readString("s", "k x", "D", 10, 1, "D\0"s), write("s", "k ", "3")},
         "[s]\r\nk=3\r\n"s},
        {"NoBreakSpaceIsNoBlank", "[s]\r\nk\xA0=\xA0" "5\r\n"s,
         {readString("s", "k", "D", 10, 1, "D\0"s), readString("s", "k\xA0", "D", 10, 2, "\xA0" "5\0"s),
          readInt("s", "k\xA0", -1, 0)},
         "[s]\r\nk\xA0=\xA0" "5\r\n"s},
        {"QuotesArePartOfTheKey", "[s]\r\n\"a b\"  = 1\r\n"s,
         {readInt("s", "\"A B\"", -1, 1), readInt("s", "a b", -1, -1)},
         "[s]\r\n\"a b\"  = 1\r\n"s},
        {"AKeyHoldingEqualsCannotComeBack", "[s]\r\n"s,
         {write("s", "a=b.mp3", "5"), readInt("s", "a=b.mp3", -1, -1), readString("s", "a", "D", 20, 7, "b.mp3=5\0"s)},
         "[s]\r\na=b.mp3=5\r\n"s},

        // ---- duplicates
        {"FirstOfTwoEqualKeysWinsAndIsTheOneWritten", "[s]\r\na=1\r\nA=2\r\n"s,
         {readInt("s", "a", -1, 1), write("s", "a", "3")},
         "[s]\r\na=3\r\nA=2\r\n"s},
        {"ALaterSectionOfTheSameNameIsNeverFound", "[s]\r\nk=1\r\n[t]\r\n[S]\r\nm=2\r\n"s,
         {readInt("s", "m", -1, -1), readSection("s", 20, 4, "k=1\0\0"s), write("s", "m", "5")},
         "[s]\r\nk=1\r\nm=5\r\n[t]\r\n[S]\r\nm=2\r\n"s},
        {"ALineWithoutEqualsHidesALaterEqualKey", "[s]\r\nnoeq\r\nnoeq=5\r\n"s,
         {readInt("s", "noeq", -1, -1), readString("s", "noeq", "D", 10, 1, "D\0"s),
          readSection("s", 20, 12, "noeq\0noeq=5\0\0"s), write("s", "noeq", "7")},
         "[s]\r\nnoeq=7\r\nnoeq=5\r\n"s},

        // ---- line endings, comments, odd bytes
        {"NoFinalNewlineReadsAndTheNextWriteEndsTheLine", "[s]\r\na=1"s,
         {readInt("s", "a", -1, 1), write("s", "b", "2")},
         "[s]\r\na=1\r\nb=2\r\n"s},
        {"LfOnlyFileIsRewrittenWithCrLf", "[s]\na=1\n[t]\nb=1\n"s,
         {readInt("s", "a", -1, 1), write("s", "A", "2")},
         "[s]\r\na=2\r\n[t]\r\nb=1\r\n"s},
        {"CrAloneEndsALine", "[s]\ra=1\rb=2\r"s, {readInt("s", "a", -1, 1), readInt("s", "b", -1, 2)}, "[s]\ra=1\rb=2\r"s},
        {"WritingTheSameValueLeavesTheFileAlone", "[s]\na=1\n"s, {write("s", "a", "1"), write("s", "A", "1")}, "[s]\na=1\n"s},
        {"ValuesCompareWithCase", "[s]\na=abc\n"s, {write("s", "a", "ABC")}, "[s]\r\na=ABC\r\n"s},
        {"ARewriteDropsBlankLinesAndTidiesEveryLine",
         ";top\r\n\r\n[a]\r\nx=1\r\n\r\ny=2\r\n\r\n  [ s ]  junk\r\n  k  =  1  \r\nnoeq\r\n;c\r\n\r\n[t]\r\nz=1\r\n"s,
         {write("t", "z", "2")},
         ";top\r\n[a]\r\nx=1\r\ny=2\r\n[s]\r\nk=1\r\nnoeq\r\n;c\r\n[t]\r\nz=2\r\n"s},
        {"CommentLinesAreKeysToLookUpButNotListed", "[s]\r\n;c=3\r\n#h=4\r\n"s,
         {readString("s", ";c", "D", 10, 1, "3\0"s), readSection("s", 20, 5, "#h=4\0\0"s),
          readString("s", nullptr, "D", 20, 3, "#h\0\0"s)},
         "[s]\r\n;c=3\r\n#h=4\r\n"s},
        {"AZeroByteEndsWhatALineSays", "[s]\r\na=1\0x\r\nb=2\r\n"s,
         {readString("s", "a", "D", 10, 1, "1\0"s), write("s", "c", "3")},
         "[s]\r\na=1\r\nb=2\r\nc=3\r\n"s},
        {"ByteOrderMarkStaysAndTheFileIsUtf8", "\xEF\xBB\xBF[s]\r\n\xC3\xA4=1\r\nw=\xFF\r\n"s,
         {readInt("s", "\xE4", -1, 1), readInt("s", "\xC4", -1, -1), readString("s", "w", "D", 10, 1, "?\0"s),
          write("s", "z", "\x80\x81")},
         "\xEF\xBB\xBF[s]\r\n\xC3\xA4=1\r\nw=\xEF\xBF\xBD\r\nz=\xE2\x82\xAC\xC2\x81\r\n"s},
        {"AByteOrderMarkAloneStays", "\xEF\xBB\xBF"s, {write("s", "z", "1")}, "\xEF\xBB\xBF[s]\r\nz=1\r\n"s},
        {"AValueWithALineBreakBecomesTwoLines", "[s]\r\n"s,
         {write("s", "v", "a\r\nb=c"), readString("s", "v", "D", 10, 1, "a\0"s), readString("s", "b", "D", 10, 1, "c\0"s)},
         "[s]\r\nv=a\r\nb=c\r\n"s},

        // ---- headers
        {"HeaderNamesAreTrimmedAndEndAtTheLastBracket", "  [ s ] junk\r\nk=1\r\n[a]b]\r\nm=2\r\n"s,
         {readInt("s", "k", -1, 1), readInt("a]b", "m", -1, 2), readInt("a", "m", -1, -1),
          readString(nullptr, nullptr, "D", 20, 6, "s\0a]b\0\0"s)},
         "  [ s ] junk\r\nk=1\r\n[a]b]\r\nm=2\r\n"s},
        {"AnUnclosedHeaderIsAKeyLine", "[s\r\na=1\r\n"s,
         {readInt("s", "a", -1, -1), readInt("", "a", -1, 1), write("s", "a", "2")},
         "[s\r\na=1\r\n[s]\r\na=2\r\n"s},
        {"LinesBeforeTheFirstHeaderBelongToTheNamelessSection", "x=1\r\n"s,
         {readInt("", "x", -1, 1), write("t", "b", "2")},
         "x=1\r\n[t]\r\nb=2\r\n"s},
        {"AnEmptyHeaderLosesItsBrackets", "[]\r\nk=1\r\n"s,
         {readString("", "k", "D", 10, 1, "D\0"s), write("", "k", "2")},
         "k=2\r\nk=1\r\n"s},

        // ---- where a new key goes
        {"NewKeyFollowsTheLastLineOfItsSection", "[s]\r\na=1\r\n;comment\r\n\r\n\r\n[t]\r\nb=2\r\n"s,
         {write("s", "new", "9")},
         "[s]\r\na=1\r\n;comment\r\nnew=9\r\n[t]\r\nb=2\r\n"s},
        {"NewKeyInASectionThatOnlyHasAHeader", "[s]\r\n\r\n[t]\r\n"s, {write("s", "new", "9")}, "[s]\r\nnew=9\r\n[t]\r\n"s},
        {"NewSectionAfterTrailingBlankLines", "[s]\r\na=1\r\n\r\n"s, {write("t", "b", "2")}, "[s]\r\na=1\r\n[t]\r\nb=2\r\n"s},
        {"ASectionNamedInAnotherCaseTakesTheKey", "[s]\r\na=1\r\n[t]\r\nb=2\r\n"s,
         {write("S", "c", "3")},
         "[s]\r\na=1\r\nc=3\r\n[t]\r\nb=2\r\n"s},

        // ---- nameless lines
        {"NamelessLinesInARowCollapseToTheFirst", "[s]\r\n=a\r\n  =  b\r\nk=1\r\n=c\r\n=\r\n"s,
         {readString("s", "", "D", 10, 1, "a\0"s), write("s", "k", "2")},
         "[s]\r\n=a\r\nk=2\r\n=c\r\n"s},

        // ---- deleting
        {"NullValueDeletesTheKey", "[s]\r\na=1\r\nb=2\r\n"s, {write("s", "A", nullptr)}, "[s]\r\nb=2\r\n"s},
        {"NullKeyDeletesTheFirstSectionOfThatName", "[s]\r\na=1\r\n;c\r\n\r\n[t]\r\nc=3\r\n[S]\r\nd=4\r\n"s,
         {write("s", nullptr, nullptr)},
         "[t]\r\nc=3\r\n[S]\r\nd=4\r\n"s},
        {"DeletingWhatIsNotThereWritesNothing", "[s]\na=1\n"s,
         {write("s", "zz", nullptr), write("t", nullptr, nullptr)},
         "[s]\na=1\n"s},
        {"DeletingFromAMissingFileCreatesNothing", NO_FILE,
         {write("s", "zz", nullptr), write("s", nullptr, nullptr)},
         NO_FILE},

        // ---- numbers
        {"IntegersAreReadThePlatformsWay",
         "[s]\r\na= 12abc\r\nb=+7\r\nc=-0x10\r\nd=0x10\r\ne=0010\r\nf=12.7\r\ng=abc\r\nh=\r\ni=\"12\"\r\n"
         "j=99999999999\r\nk=4294967295\r\nl=0X1f\r\nm=0b101\r\nn=0o17\r\no=- 5\r\np=\x01 5\r\nq='7'\r\n"
         "r=\"7\r\nt=\"\"\r\nu=\"   \"\r\nv=-99999999999\r\nw=0x1ffffffff\r\nx=\x7f" "5\r\ny=0b2\r\nz=+-3\r\n"s,
         {readInt("s", "a", -1, 12), readInt("s", "b", -1, 7), readInt("s", "c", -1, -16), readInt("s", "d", -1, 16),
          readInt("s", "e", -1, 10), readInt("s", "f", -1, 12), readInt("s", "g", -1, 0), readInt("s", "h", -5, -5),
          readInt("s", "i", -1, 12), readInt("s", "j", -1, 1215752191), readInt("s", "k", -1, -1),
          readInt("s", "l", -1, 0), readInt("s", "m", -1, 5), readInt("s", "n", -1, 15), readInt("s", "o", -1, 0),
          readInt("s", "p", -1, 5), readInt("s", "q", -1, 7), readInt("s", "r", -1, 0), readInt("s", "t", -9, -9),
          readInt("s", "u", -1, 0), readInt("s", "v", -1, -1215752191), readInt("s", "w", -1, -1),
          readInt("s", "x", -1, 0), readInt("s", "y", -1, 0), readInt("s", "z", -1, 0)},
         std::nullopt},
        {"AnIntegerIsReadFromItsFirst29Characters",
         "[s]\r\na=00000000000000000000000000001\r\nb=000000000000000000000000000001\r\n"
         "c=\"0000000000000000000000000001\"\r\nd=\"00000000000000000000000000001\"\r\n"s,
         {readInt("s", "a", -1, 1), readInt("s", "b", -1, 0), readInt("s", "c", -1, 1), readInt("s", "d", -1, 0)},
         std::nullopt},

        // ---- strings and their buffers
        {"StringsAreCutToTheBuffer", "[s]\r\nb=22\r\nq=\"5\"\r\nr=\"x\r\nt= \" x \" \r\n"s,
         {readString("s", "b", "D", 1, 0, "\0"s), readString("s", "b", "D", 2, 1, "2\0"s),
          readString("s", "b", "D", 3, 2, "22\0"s), readString("s", "q", "D", 2, 0, "\0"s),
          readString("s", "q", "D", 3, 1, "5\0"s), readString("s", "r", "D", 10, 2, "\"x\0"s),
          readString("s", "t", "D", 10, 3, " x \0"s)},
         std::nullopt},
        {"DefaultsLoseTrailingBlanksAndQuotes", "[s]\r\n"s,
         {readString("s", "x", "de  ", 10, 2, "de\0"s), readString("s", "x", "  de", 10, 4, "  de\0"s),
          readString("s", "x", "\"de\"", 10, 2, "de\0"s), readString("s", "x", nullptr, 10, 0, "\0"s)},
         std::nullopt},
        {"NameListsEndWithTwoZerosOrAreCut", "[s]\r\naa=1\r\nb=22\r\nccc\r\n[t]\r\n[uu]\r\n"s,
         {readString("s", nullptr, "D", 20, 5, "aa\0b\0\0"s), readString("s", nullptr, "D", 6, 4, "aa\0b\0"s),
          readString("s", nullptr, "D", 4, 2, "aa\0"s), readString(nullptr, nullptr, "D", 20, 7, "s\0t\0uu\0\0"s),
          readString(nullptr, nullptr, "D", 8, 6, "s\0t\0uu\0"s), readString(nullptr, nullptr, "D", 5, 3, "s\0t\0"s)},
         std::nullopt},

        // ---- whole sections
        {"ASectionListsTidiedLinesButNoComments",
         "[s]\r\n  a  =  1  \r\n;c=3\r\n#h=4\r\nnoeq\r\n\"q\"=\"5\"\r\n=7\r\nA=8\r\n\r\n[S]\r\nz=1\r\n"s,
         {readSection("s", 100, 29, "a=1\0#h=4\0noeq\0\"q\"=\"5\"\0=7\0A=8\0\0"s), readSection(" s ", 100, 0, "\0\0"s)},
         std::nullopt},
        {"ASectionTooBigIsCutAndAnswersSizeLessTwo", "[s]\r\naa=1\r\nb=22\r\nccc\r\n"s,
         {readSection("s", 1, 0, "\0"s), readSection("s", 2, 0, "\0\0"s), readSection("s", 3, 1, "a\0\0"s),
          readSection("s", 7, 5, "aa=1\0\0\0"s), readSection("s", 10, 8, "aa=1\0b=2\0\0"s),
          readSection("s", 14, 12, "aa=1\0b=22\0cc\0\0"s), readSection("s", 15, 13, "aa=1\0b=22\0ccc\0\0"s),
          readSection("s", 16, 14, "aa=1\0b=22\0ccc\0\0"s)},
         std::nullopt},
        {"AnEmptySectionListsNothing", "[s]\r\n"s,
         {readSection("s", 1, 0, "\0"s), readSection("s", 3, 0, "\0\0"s), readSection("t", 10, 0, "\0\0"s)},
         std::nullopt},
    };
    return table;
}

}  // namespace profiletable

