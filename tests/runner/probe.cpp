// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/runner/probe.h"

#include "session/window_session.h"
#include "tests/runner/scenario_qt.h"
#include "tests/runner/scenario_tokens.h"
#include "tests/runner/session_probe.h"

namespace scenario {

Observed found(Value value) {
    return {std::move(value), {}};
}

Observed missing(QString why) {
    return {std::nullopt, std::move(why)};
}

Value stringValue(const QString& text) {
    return qtValue(syntax::stringValue(std::u16string(plain(text))));
}

Value flagValue(bool flag) {
    return qtValue(syntax::flagValue(flag));
}

Value signedValue(std::int64_t number) {
    return qtValue(syntax::signedValue(number));
}

Value unsignedValue(std::uint64_t number) {
    return qtValue(syntax::unsignedValue(number));
}

Value decimalValue(float number) {
    return qtValue(syntax::decimalValue(number));
}

Value fontValue(const QString& family, double points) {
    return qtValue(syntax::fontValue(std::u16string(plain(family)), points));
}

QString fromU16(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

QString Observed::render() const {
    return value ? scenario::render(*value) : QStringLiteral("(%1)").arg(missing);
}

namespace {

// The shared variables and the print jobs are read as every runner reads
// them; only the types differ.
Observed fromPlain(const syntax::Observed& observed) {
    return observed.value ? found(qtValue(*observed.value)) : missing(qt(observed.missing));
}

} // namespace

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
        return fromPlain(syntax::readShared(shared(), plainTarget(target)));
    case Target::Kind::PrintJobs:
    case Target::Kind::PrintCount:
    case Target::Kind::PrintLine:
    case Target::Kind::PrintFont:
        return fromPlain(syntax::readPrint(printJobs(), plainTarget(target)));
    }
    return missing(QStringLiteral("unknown target"));
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
        emitLine(QString::fromStdString(syntax::qrbTabRow(st, x)));
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
