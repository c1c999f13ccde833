// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/shrink.h"

#include "tests/random/checked_run.h"

#include <algorithm>

namespace randomized {

namespace {

using scenario::Command;

// Delta debugging by complements: split the items into n chunks and keep the
// first complement that still fails; refine the chunks when none does.
template <typename T>
std::vector<T> minimize(std::vector<T> items,
                        const std::function<bool(const std::vector<T>&)>& fails,
                        ShrinkBudget& budget) {
    std::size_t n = 2;
    while (!items.empty() && budget.runs < budget.maxRuns) {
        n = std::min(n, items.size());
        const std::size_t chunk = (items.size() + n - 1) / n;
        bool reduced = false;
        for (std::size_t start = 0; start < items.size() && budget.runs < budget.maxRuns;
             start += chunk) {
            std::vector<T> rest(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(start));
            const std::size_t end = std::min(items.size(), start + chunk);
            rest.insert(rest.end(), items.begin() + static_cast<std::ptrdiff_t>(end), items.end());
            ++budget.runs;
            if (fails(rest)) {
                items = std::move(rest);
                n = std::max<std::size_t>(n - 1, 2);
                reduced = true;
                break;
            }
        }
        if (!reduced) {
            if (n >= items.size()) {
                break;
            }
            n = std::min(n * 2, items.size());
        }
    }
    return items;
}

bool hasText(const Command& command) {
    return command.kind == Command::Kind::Keys || command.kind == Command::Kind::Type ||
           command.kind == Command::Kind::Paste;
}

} // namespace

Steps shrink(const Steps& steps, const StillFails& stillFails, ShrinkBudget& budget) {
    Steps best = minimize<Command>(steps, stillFails, budget);

    // Shorter texts, character by character.
    for (std::size_t i = 0; i < best.size(); ++i) {
        if (!hasText(best[i]) || best[i].text.isEmpty()) {
            continue;
        }
        const auto withText = [&best, i](const std::vector<QString>& parts) {
            Steps candidate = best;
            QString text;
            for (const QString& part : parts) {
                text += part;
            }
            candidate[i].text = text;
            return candidate;
        };
        const std::function<bool(const std::vector<QString>&)> fails =
            [&](const std::vector<QString>& parts) { return stillFails(withText(parts)); };
        best = withText(minimize<QString>(characters(best[i].text), fails, budget));
    }
    // A type without text is a click; keys without text do nothing.
    for (std::size_t i = best.size(); i-- > 0;) {
        if (best[i].kind == Command::Kind::Type && best[i].text.isEmpty()) {
            best[i].kind = Command::Kind::Click;
        } else if (best[i].kind == Command::Kind::Keys && best[i].text.isEmpty()) {
            Steps candidate = best;
            candidate.erase(candidate.begin() + static_cast<std::ptrdiff_t>(i));
            ++budget.runs;
            if (stillFails(candidate)) {
                best = std::move(candidate);
            }
        }
    }
    return minimize<Command>(best, stillFails, budget);
}

} // namespace randomized
