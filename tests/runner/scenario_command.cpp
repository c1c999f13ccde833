// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt face of the scenario syntax: commands, targets and values are read,
// written back and compared by the plain C++ syntax library that every
// runner shares; here they only change their string type.
#include "tests/runner/scenario_command.h"

#include "tests/runner/scenario_qt.h"
#include "tests/runner/scenario_syntax.h"

namespace scenario {

namespace {

// The enumerations of both faces list the same names in the same order.
template <typename To, typename From> To same(From value) {
    return static_cast<To>(static_cast<int>(value));
}
static_assert(static_cast<int>(ControlKind::Line) == static_cast<int>(syntax::ControlKind::Line));
static_assert(static_cast<int>(Property::Size) == static_cast<int>(syntax::Property::Size));
static_assert(static_cast<int>(SharedVar::QTH_TEXT) ==
              static_cast<int>(syntax::SharedVar::QTH_TEXT));
static_assert(static_cast<int>(Target::Kind::PrintFont) ==
              static_cast<int>(syntax::Target::Kind::PrintFont));
static_assert(static_cast<int>(ValueKind::FocusName) ==
              static_cast<int>(syntax::ValueKind::FocusName));
static_assert(static_cast<int>(Command::Kind::Dump) ==
              static_cast<int>(syntax::Command::Kind::Dump));
static_assert(static_cast<int>(ParsedLine::Status::Malformed) ==
              static_cast<int>(syntax::ParsedLine::Status::Malformed));

syntax::Integer plainInteger(const Integer& number) {
    return {number.negative, number.magnitude};
}

syntax::Target plainTarget(const Target& target) {
    syntax::Target t;
    t.kind = same<syntax::Target::Kind>(target.kind);
    t.control = std::u16string(plain(target.control));
    t.property = same<syntax::Property>(target.property);
    t.shared = same<syntax::SharedVar>(target.shared);
    t.index = target.index;
    t.index2 = target.index2;
    return t;
}

Target qtTarget(const syntax::Target& target) {
    Target t;
    t.kind = same<Target::Kind>(target.kind);
    t.control = qt(target.control);
    t.property = same<Property>(target.property);
    t.shared = same<SharedVar>(target.shared);
    t.index = target.index;
    t.index2 = target.index2;
    return t;
}

syntax::Value plainValue(const Value& value) {
    syntax::Value v;
    v.kind = same<syntax::ValueKind>(value.kind);
    v.text = std::u16string(plain(value.text));
    v.integer = plainInteger(value.integer);
    v.flag = value.flag;
    v.colour = value.colour;
    v.twips = value.twips;
    v.points = value.points;
    v.decimal = value.decimal;
    v.decimalText = std::u16string(plain(value.decimalText));
    return v;
}

Value qtValue(const syntax::Value& value) {
    Value v;
    v.kind = same<ValueKind>(value.kind);
    v.text = qt(value.text);
    v.integer.negative = value.integer.negative;
    v.integer.magnitude = value.integer.magnitude;
    v.flag = value.flag;
    v.colour = value.colour;
    v.twips = value.twips;
    v.points = value.points;
    v.decimal = value.decimal;
    v.decimalText = qt(value.decimalText);
    return v;
}

} // namespace

const std::vector<ControlInfo>& controls() {
    static const std::vector<ControlInfo> list = [] {
        std::vector<ControlInfo> all;
        for (const syntax::ControlInfo& info : syntax::controls()) {
            all.push_back({info.name, same<ControlKind>(info.kind)});
        }
        return all;
    }();
    return list;
}

std::optional<ControlKind> controlKind(QStringView name) {
    const std::optional<syntax::ControlKind> kind = syntax::controlKind(plain(name));
    if (!kind) {
        return std::nullopt;
    }
    return same<ControlKind>(*kind);
}

const std::vector<Property>& dottedProperties() {
    static const std::vector<Property> list = [] {
        std::vector<Property> all;
        for (const syntax::Property p : syntax::dottedProperties()) {
            all.push_back(same<Property>(p));
        }
        return all;
    }();
    return list;
}

QString propertyWord(Property property) {
    return qt(syntax::propertyWord(same<syntax::Property>(property)));
}

bool appliesTo(Property property, ControlKind kind) {
    return syntax::appliesTo(same<syntax::Property>(property), same<syntax::ControlKind>(kind));
}

const std::vector<SharedVar>& sharedVars() {
    static const std::vector<SharedVar> list = [] {
        std::vector<SharedVar> all;
        for (const syntax::SharedVar var : syntax::sharedVars()) {
            all.push_back(same<SharedVar>(var));
        }
        return all;
    }();
    return list;
}

QString sharedName(SharedVar var) {
    return qt(syntax::sharedName(same<syntax::SharedVar>(var)));
}

QString targetText(const Target& target) {
    return qt(syntax::targetText(plainTarget(target)));
}

Integer Integer::of(std::int64_t value) {
    const syntax::Integer number = syntax::Integer::of(value);
    return {number.negative, number.magnitude};
}

Integer Integer::ofUnsigned(std::uint64_t value) {
    const syntax::Integer number = syntax::Integer::ofUnsigned(value);
    return {number.negative, number.magnitude};
}

bool Integer::operator==(const Integer& other) const {
    return plainInteger(*this) == plainInteger(other);
}

QString Integer::toString() const {
    return qt(plainInteger(*this).toString());
}

ValueKind valueKindOf(const Target& target) {
    return same<ValueKind>(syntax::valueKindOf(plainTarget(target)));
}

bool matches(const Value& want, const Value& got) {
    return syntax::matches(plainValue(want), plainValue(got));
}

QString render(const Value& value) {
    return qt(syntax::render(plainValue(value)));
}

QString floatText(float value) {
    return qt(syntax::floatText(value));
}

ParsedLine parseLine(QStringView line) {
    const syntax::ParsedLine parsed = syntax::parseLine(plain(line));
    ParsedLine result;
    result.status = same<ParsedLine::Status>(parsed.status);
    result.reason = QString::fromStdString(parsed.reason);
    const syntax::Command& c = parsed.command;
    result.command.kind = same<Command::Kind>(c.kind);
    result.command.control = qt(c.control);
    result.command.text = qt(c.text);
    result.command.target = qtTarget(c.target);
    result.command.value = qtValue(c.value);
    return result;
}

} // namespace scenario
