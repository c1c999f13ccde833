// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Scenario lines read in plain C++ (no toolkit), for every runner: the words
// and quoted strings of a line, the command it holds, the targets and values
// of expectations, how a value is written back and when two values match.
// Texts are UTF-16 as the window keeps them; messages are UTF-8.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::syntax {

// ---- Words and strings ------------------------------------------------------

struct Token {
    enum class Kind { Word, String };
    Kind kind = Kind::Word;
    std::u16string text; // a word as written; a string with its escapes resolved
    std::size_t column = 0;
};

struct Tokens {
    std::vector<Token> tokens;
    std::string error; // empty when the line could be split
};

bool isBlank(char16_t c);
// Blank, or a comment whose first non-blank character is '#'.
bool isIgnorable(std::u16string_view line);
// Splits a line into words and strings ("..." with \" \\ \r \b \t \uXXXX).
Tokens tokenize(std::u16string_view line);
// The text in double quotes, written back with those escapes; characters that
// do not print are shown as \uXXXX.
std::u16string quoted(std::u16string_view text);

// UTF-8 and back, for messages and file names.
std::string utf8(std::u16string_view text);
std::u16string utf16(std::string_view text);

// ---- Commands -----------------------------------------------------------------

enum class ControlKind { Window, Label, CommandButton, OptionButton, Frame, TextField, List, Line };

struct ControlInfo {
    const char* name;
    ControlKind kind;
};

// Every control of the window, the window first, then from top to bottom.
const std::vector<ControlInfo>& controls();
std::optional<ControlKind> controlKind(std::u16string_view name);

enum class Property {
    Text,
    Caption,
    Tooltip,
    Color,
    Enabled,
    Visible,
    Checked,
    Geometry,
    Line,
    Font,
    TabOrder,
    Count,
    Item, // NAME[I]
    Size,
};

// The properties written as NAME.word, in the order a dump shows them.
const std::vector<Property>& dottedProperties();
std::u16string propertyWord(Property property);
bool appliesTo(Property property, ControlKind kind);

enum class SharedVar {
    FEHLER,
    TAST_ZAEHL,
    INF_ZAEHL,
    BAND_NR,
    BAND_MUL,
    QRB_PKT,
    LAENGE,
    BREITE,
    LOC_TEXT,
    QTH_TEXT,
};
const std::vector<SharedVar>& sharedVars();
std::u16string sharedName(SharedVar var);

struct Target {
    enum class Kind {
        Control, // control.property, index for Item
        Focus,
        Ended,
        Shared,
        QrbTab,     // QRB_TAB(index, index2)
        PrintJobs,  // PRINT.jobs
        PrintCount, // PRINT[index].count
        PrintLine,  // PRINT[index][index2]
        PrintFont,  // PRINT[index].font
    };
    Kind kind = Kind::Focus;
    std::u16string control;
    Property property = Property::Text;
    SharedVar shared = SharedVar::FEHLER;
    int index = 0;
    int index2 = 0;
};

std::u16string targetText(const Target& target);

// Whole numbers from -(2^64-1) to 2^64-1, enough for every counter.
struct Integer {
    bool negative = false;
    std::uint64_t magnitude = 0;

    static Integer of(std::int64_t value);
    static Integer ofUnsigned(std::uint64_t value);
    bool operator==(const Integer& other) const;
    std::u16string toString() const;
};

enum class ValueKind { String, Integer, Flag, Colour, Twips4, Twips2, Font, Decimal, FocusName };

ValueKind valueKindOf(const Target& target);

struct Value {
    ValueKind kind = ValueKind::String;
    std::u16string text; // String, Font family, FocusName
    Integer integer;
    bool flag = false;
    std::uint32_t colour = 0;
    std::array<std::int64_t, 4> twips{};
    double points = 0.0;
    float decimal = 0.0F;
    std::u16string decimalText;
};

inline constexpr std::int64_t kTwipsTolerance = 15;
inline constexpr double kPointsTolerance = 0.01;

bool matches(const Value& want, const Value& got);
std::u16string render(const Value& value);
std::u16string floatText(float value);
std::u16string shortestText(double value);

struct Command {
    enum class Kind { Click, Keys, Type, Paste, Close, Expect, Dump };
    Kind kind = Kind::Dump;
    std::u16string control; // Click, Type
    std::u16string text;    // Keys, Type, Paste
    Target target;          // Expect
    Value value;            // Expect
};

struct ParsedLine {
    enum class Status { Ignored, Command, Malformed };
    Status status = Status::Ignored;
    Command command;
    std::string reason; // Malformed: what is wrong and where (UTF-8)
};

ParsedLine parseLine(std::u16string_view line);

} // namespace scenario::syntax
