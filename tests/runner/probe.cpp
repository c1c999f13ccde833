// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/probe.h"

#include "session/window_session.h"
#include "tests/runner/scenario_tokens.h"

namespace scenario {

Observed found(Value value) {
    return {std::move(value), {}};
}

Observed missing(QString why) {
    return {std::nullopt, std::move(why)};
}

Value stringValue(const QString& text) {
    Value v;
    v.kind = ValueKind::String;
    v.text = text;
    return v;
}

Value flagValue(bool flag) {
    Value v;
    v.kind = ValueKind::Flag;
    v.flag = flag;
    return v;
}

Value integerValue(Integer number) {
    Value v;
    v.kind = ValueKind::Integer;
    v.integer = number;
    return v;
}

Value signedValue(std::int64_t number) {
    return integerValue(Integer::of(number));
}

Value unsignedValue(std::uint64_t number) {
    return integerValue(Integer::ofUnsigned(number));
}

Value decimalValue(float number) {
    Value v;
    v.kind = ValueKind::Decimal;
    v.decimal = number;
    return v;
}

Value fontValue(const QString& family, double points) {
    Value v;
    v.kind = ValueKind::Font;
    v.text = family;
    v.points = points;
    return v;
}

QString fromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Observed::render() const {
    return value ? scenario::render(*value) : QStringLiteral("(%1)").arg(missing);
}

Observed Probe::read(const Target& target) const {
    switch (target.kind) {
    case Target::Kind::Control:
        return readControl(target);
    case Target::Kind::Focus: {
        Value v;
        v.kind = ValueKind::FocusName;
        v.text = focusName();
        return found(v);
    }
    case Target::Kind::Ended:
        return found(flagValue(programEnded()));
    case Target::Kind::Shared:
    case Target::Kind::QrbTab:
        return readShared(target);
    case Target::Kind::PrintJobs:
    case Target::Kind::PrintCount:
    case Target::Kind::PrintLine:
    case Target::Kind::PrintFont:
        return readPrint(target);
    }
    return missing(QStringLiteral("unknown target"));
}

Observed Probe::readShared(const Target& target) const {
    const qrb::SharedState& st = shared();
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
        return found(stringValue(QString::fromStdU16String(st.LOC_TEXT)));
    case SharedVar::QTH_TEXT:
        return found(stringValue(QString::fromStdU16String(st.QTH_TEXT)));
    }
    return missing(QStringLiteral("unknown variable"));
}

Observed Probe::readPrint(const Target& target) const {
    const std::vector<qrb::PrintJob>& jobs = printJobs();
    if (target.kind == Target::Kind::PrintJobs) {
        return found(unsignedValue(jobs.size()));
    }
    if (static_cast<std::size_t>(target.index) >= jobs.size()) {
        return missing(QStringLiteral("no print job %1, jobs finished: %2")
                           .arg(target.index)
                           .arg(jobs.size()));
    }
    const qrb::PrintJob& job = jobs[static_cast<std::size_t>(target.index)];
    switch (target.kind) {
    case Target::Kind::PrintCount:
        return found(unsignedValue(job.lines.size()));
    case Target::Kind::PrintFont:
        return found(fontValue(fromU16(job.fontFace), job.fontSize));
    case Target::Kind::PrintLine:
        if (static_cast<std::size_t>(target.index2) >= job.lines.size()) {
            return missing(QStringLiteral("no line %1 in print job %2, which counts %3")
                               .arg(target.index2)
                               .arg(target.index)
                               .arg(job.lines.size()));
        }
        return found(stringValue(fromU16(job.lines[static_cast<std::size_t>(target.index2)])));
    default:
        break;
    }
    return missing(QStringLiteral("unknown print target"));
}

void Probe::dump(const std::function<void(const QString&)>& emitLine) const {
    const auto show = [&](const Target& target) {
        emitLine(targetText(target) + QLatin1Char(' ') + read(target).render());
    };
    for (const ControlInfo& info : controls()) {
        Target target;
        target.kind = Target::Kind::Control;
        target.control = QLatin1String(info.name);
        for (const Property p : dottedProperties()) {
            if (appliesTo(p, info.kind)) {
                target.property = p;
                show(target);
            }
        }
        if (info.kind == ControlKind::List) {
            target.property = Property::Count;
            const Observed count = read(target);
            const std::uint64_t lines =
                count.value && !count.value->integer.negative ? count.value->integer.magnitude : 0;
            target.property = Property::Item;
            for (int i = 0; static_cast<std::uint64_t>(i) < lines; ++i) {
                target.index = i;
                show(target);
            }
        }
    }
    Target target;
    target.kind = Target::Kind::Focus;
    show(target);
    target.kind = Target::Kind::Ended;
    show(target);
    target.kind = Target::Kind::Shared;
    for (const SharedVar var : sharedVars()) {
        target.shared = var;
        show(target);
    }
    // The point table one row of the first index at a time: QRB_TAB(X,0..40).
    const qrb::SharedState& st = shared();
    for (int x = 0; x < qrb::QrbTable::kSize; ++x) {
        QString row = QStringLiteral("QRB_TAB(%1,0..40)").arg(x);
        for (int y = 0; y < qrb::QrbTable::kSize; ++y) {
            row += QLatin1Char(' ') + QString::number(st.QRB_TAB.at(x, y));
        }
        emitLine(row);
    }
    target.kind = Target::Kind::PrintJobs;
    show(target);
    const std::vector<qrb::PrintJob>& jobs = printJobs();
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        target.index = static_cast<int>(j);
        target.kind = Target::Kind::PrintFont;
        show(target);
        target.kind = Target::Kind::PrintCount;
        show(target);
        target.kind = Target::Kind::PrintLine;
        for (std::size_t i = 0; i < jobs[j].lines.size(); ++i) {
            target.index2 = static_cast<int>(i);
            show(target);
        }
    }
}

} // namespace scenario
