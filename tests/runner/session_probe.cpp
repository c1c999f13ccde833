// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/session_probe.h"

#include "session/window_session.h"

namespace scenario::syntax {

std::u16string Observed::render() const {
    return value ? syntax::render(*value) : u"(" + missing + u")";
}

Observed found(Value value) {
    return {std::move(value), {}};
}

Observed missing(std::string_view why) {
    return {std::nullopt, utf16(why)};
}

Value stringValue(std::u16string text) {
    Value v;
    v.kind = ValueKind::String;
    v.text = std::move(text);
    return v;
}

Value flagValue(bool flag) {
    Value v;
    v.kind = ValueKind::Flag;
    v.flag = flag;
    return v;
}

Value signedValue(std::int64_t number) {
    Value v;
    v.kind = ValueKind::Integer;
    v.integer = Integer::of(number);
    return v;
}

Value unsignedValue(std::uint64_t number) {
    Value v;
    v.kind = ValueKind::Integer;
    v.integer = Integer::ofUnsigned(number);
    return v;
}

Value decimalValue(float number) {
    Value v;
    v.kind = ValueKind::Decimal;
    v.decimal = number;
    return v;
}

Value fontValue(std::u16string family, double points) {
    Value v;
    v.kind = ValueKind::Font;
    v.text = std::move(family);
    v.points = points;
    return v;
}

Observed readShared(const qrb::SharedState& st, const Target& target) {
    if (target.kind == Target::Kind::QrbTab) {
        return found(signedValue(st.QRB_TAB.at(target.index, target.index2)));
    }
    switch (target.shared) {
    case SharedVar::FEHLER:
        return found(signedValue(st.FEHLER));
    case SharedVar::TAST_ZAEHL:
        return found(unsignedValue(st.TAST_ZAEHL));
    case SharedVar::INF_ZAEHL:
        return found(unsignedValue(st.INF_ZAEHL));
    case SharedVar::BAND_NR:
        return found(signedValue(st.BAND_NR));
    case SharedVar::BAND_MUL:
        return found(signedValue(st.BAND_MUL));
    case SharedVar::QRB_PKT:
        return found(signedValue(st.QRB_PKT));
    case SharedVar::LAENGE:
        return found(decimalValue(st.LAENGE));
    case SharedVar::BREITE:
        return found(decimalValue(st.BREITE));
    case SharedVar::LOC_TEXT:
        return found(stringValue(st.LOC_TEXT));
    case SharedVar::QTH_TEXT:
        return found(stringValue(st.QTH_TEXT));
    }
    return missing("unknown variable");
}

Observed readPrint(const std::vector<qrb::PrintJob>& jobs, const Target& target) {
    if (target.kind == Target::Kind::PrintJobs) {
        return found(unsignedValue(jobs.size()));
    }
    if (static_cast<std::size_t>(target.index) >= jobs.size()) {
        return missing("no print job " + std::to_string(target.index) +
                       ", jobs finished: " + std::to_string(jobs.size()));
    }
    const qrb::PrintJob& job = jobs[static_cast<std::size_t>(target.index)];
    switch (target.kind) {
    case Target::Kind::PrintCount:
        return found(unsignedValue(job.lines.size()));
    case Target::Kind::PrintFont:
        return found(fontValue(job.fontFace, job.fontSize));
    case Target::Kind::PrintLine:
        if (static_cast<std::size_t>(target.index2) >= job.lines.size()) {
            return missing("no line " + std::to_string(target.index2) + " in print job " +
                           std::to_string(target.index) + ", which counts " +
                           std::to_string(job.lines.size()));
        }
        return found(stringValue(job.lines[static_cast<std::size_t>(target.index2)]));
    default:
        break;
    }
    return missing("unknown print target");
}

std::string qrbTabRow(const qrb::SharedState& st, int x) {
    std::string row = "QRB_TAB(" + std::to_string(x) + ",0..40)";
    for (int y = 0; y < qrb::QrbTable::kSize; ++y) {
        row += " " + std::to_string(st.QRB_TAB.at(x, y));
    }
    return row;
}

} // namespace scenario::syntax
