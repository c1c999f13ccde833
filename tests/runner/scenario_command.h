// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One scenario line read into a command: what to do with the window, or what
// to compare. Reading knows the names of the window's controls and which
// properties each kind of control has, but nothing of the window itself.

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace scenario {

enum class ControlKind { Window, Label, CommandButton, OptionButton, Frame, TextField, List, Line };

struct ControlInfo {
    const char* name;
    ControlKind kind;
};

// Every control of the window, the window first, then from top to bottom.
const std::vector<ControlInfo>& controls();
std::optional<ControlKind> controlKind(QStringView name);

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
QString propertyWord(Property property);
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
QString sharedName(SharedVar var);

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
    QString control;
    Property property = Property::Text;
    SharedVar shared = SharedVar::FEHLER;
    int index = 0;
    int index2 = 0;
};

// The target as it is written in a scenario.
QString targetText(const Target& target);

// Whole numbers from -(2^64-1) to 2^64-1, enough for every counter.
struct Integer {
    bool negative = false;
    std::uint64_t magnitude = 0;

    static Integer of(std::int64_t value);
    static Integer ofUnsigned(std::uint64_t value);
    bool operator==(const Integer& other) const;
    QString toString() const;
};

enum class ValueKind {
    String,   // "text"
    Integer,  // -12
    Flag,     // 0 or 1
    Colour,   // C0FFC0 or 0xC0FFC0, 0x00BBGGRR
    Twips4,   // four whole numbers in twips, 15 twips tolerance each
    Twips2,   // two whole numbers in twips, same tolerance
    Font,     // "family" size
    Decimal,  // a decimal number standing for the nearest 32-bit float
    FocusName // a control name or none
};

ValueKind valueKindOf(const Target& target);

struct Value {
    ValueKind kind = ValueKind::String;
    QString text; // String, Font family, FocusName
    Integer integer;
    bool flag = false;
    std::uint32_t colour = 0;
    std::array<std::int64_t, 4> twips{}; // Twips4 uses all four, Twips2 the first two
    double points = 0.0;                 // Font size
    float decimal = 0.0F;
    QString decimalText; // Decimal as written, or the shortest text of the float
};

// Twips on both sides may differ this much in every number.
inline constexpr std::int64_t kTwipsTolerance = 15;
// Font sizes may differ this much in points.
inline constexpr double kPointsTolerance = 0.01;

bool matches(const Value& want, const Value& got);
// The value written as a scenario would write it.
QString render(const Value& value);
// The shortest decimal text that reads back as exactly this float.
QString floatText(float value);

struct Command {
    enum class Kind { Click, Keys, Type, Paste, Close, Expect, Dump };
    Kind kind = Kind::Dump;
    QString control; // Click, Type
    QString text;    // Keys, Type, Paste
    Target target;   // Expect
    Value value;     // Expect

    static Command click(const QString& name) {
        Command c;
        c.kind = Kind::Click;
        c.control = name;
        return c;
    }
    static Command keys(const QString& text) {
        Command c;
        c.kind = Kind::Keys;
        c.text = text;
        return c;
    }
};

struct ParsedLine {
    enum class Status { Ignored, Command, Malformed };
    Status status = Status::Ignored;
    Command command;
    QString reason; // Malformed: what is wrong and where
};

ParsedLine parseLine(QStringView line);

// Targets and values between these types and the plain C++ syntax.
namespace syntax {
struct Target;
struct Value;
} // namespace syntax
syntax::Target plainTarget(const Target& target);
Value qtValue(const syntax::Value& value);

} // namespace scenario
