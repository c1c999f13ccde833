// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/random/session_generator.h"

#include "tests/random/rng.h"

#include <algorithm>
#include <array>
#include <deque>
#include <utility>

namespace randomized {

namespace {

using scenario::Command;

// Letters and digits a locator is made of, with the blank and the two shift
// signs of a QTH-Kenner.
const QString kLocatorish =
    QStringLiteral("abcdefghijklmnopqrstuvwxABCDEFGHIJKLMNOPQRSTUVWX0123456789 +-");

// The largest column and row of a square with field letters A..X.
constexpr int kLastPlace = 239;

Command click(const QString& name) {
    return Command::click(name);
}

Command keys(const QString& text) {
    return Command::keys(text);
}

Command type(const QString& name, const QString& text) {
    Command c;
    c.kind = Command::Kind::Type;
    c.control = name;
    c.text = text;
    return c;
}

Command paste(const QString& text) {
    Command c;
    c.kind = Command::Kind::Paste;
    c.text = text;
    return c;
}

Command closeWindow() {
    Command c;
    c.kind = Command::Kind::Close;
    return c;
}

QString band(int index) {
    return QStringLiteral("B%1").arg(index);
}

QString character(char32_t code) {
    return QString::fromUcs4(&code, 1);
}

class Generator {
public:
    Generator(std::uint64_t seed, const GeneratorOptions& options) : rng_(seed), options_(options) {
        // How careful this user is: the share of steps that are noise.
        constexpr std::array<int, 5> kNoise{5, 20, 40, 65, 90};
        noise_ = kNoise[static_cast<std::size_t>(rng_.below(static_cast<int>(kNoise.size())))];
        ownColumn_ = rng_.between(20, kLastPlace - 20);
        ownRow_ = rng_.between(20, kLastPlace - 20);
    }

    std::vector<Command> session() {
        std::vector<Command> steps;
        while (static_cast<int>(steps.size()) < options_.steps) {
            Command next;
            if (rng_.percent(noise_)) {
                next = noiseStep();
            } else {
                if (plan_.empty()) {
                    planContact();
                }
                next = plan_.front();
                plan_.pop_front();
            }
            steps.push_back(next);
            if (next.kind == Command::Kind::Close) {
                break; // the program is gone
            }
        }
        return steps;
    }

private:
    // ---- whole contacts --------------------------------------------------

    void planContact() {
        if (!ownTyped_ || rng_.percent(10)) {
            if (rng_.percent(15)) {
                // Somewhere else on the map now.
                ownColumn_ = rng_.between(0, kLastPlace);
                ownRow_ = rng_.between(0, kLastPlace);
            }
            plan_.push_back(type(QStringLiteral("LOC1"), ownLocator() + u'\r'));
            ownTyped_ = true;
        }
        if (rng_.percent(80)) {
            const QString foreign = foreignLocator() + u'\r';
            // After the own locator or OK the focus is in LOC2 already.
            plan_.push_back(rng_.percent(30) ? keys(foreign)
                                             : type(QStringLiteral("LOC2"), foreign));
        } else {
            plan_.push_back(type(QStringLiteral("QTH2"), qthKenner() + u'\r'));
        }
        plan_.push_back(click(band(rng_.below(10))));
        if (rng_.percent(15)) {
            plan_.push_back(click(band(rng_.below(10))));
        }
        const int confirm = rng_.below(100);
        if (confirm < 80) {
            plan_.push_back(click(QStringLiteral("OK2")));
        } else if (confirm < 95) {
            // The focus is on OK after a band choice: the blank presses it.
            plan_.push_back(keys(QStringLiteral(" ")));
        }
        if (rng_.percent(10)) {
            plan_.push_back(click(QStringLiteral("DRU")));
        }
    }

    QString squareText(int column, int row) {
        QString text;
        text += QChar(u'A' + column / 10);
        text += QChar(u'A' + row / 10);
        text += QChar(u'0' + column % 10);
        text += QChar(u'0' + row % 10);
        return text;
    }

    // Upper or lower case, sometimes a sub-square, sometimes blanks around
    // it, sometimes a mistake.
    QString dress(QString text) {
        if (rng_.percent(30)) {
            text += QChar(u'A' + rng_.below(24));
            text += QChar(u'A' + rng_.below(24));
        }
        const int casing = rng_.below(3);
        if (casing == 0) {
            text = text.toLower();
        } else if (casing == 1) {
            for (QChar& c : text) {
                if (rng_.percent(50)) {
                    c = c.toLower();
                }
            }
        }
        if (rng_.percent(8)) {
            text = QString(rng_.between(1, 2), QLatin1Char(' ')) + text;
        }
        if (rng_.percent(8)) {
            text += QString(rng_.between(1, 2), QLatin1Char(' '));
        }
        if (rng_.percent(7)) {
            const int at = rng_.below(static_cast<int>(text.size()));
            text[at] = kLocatorish[rng_.below(static_cast<int>(kLocatorish.size()))];
        }
        return text;
    }

    QString ownLocator() { return dress(squareText(ownColumn_, ownRow_)); }

    // A distance in squares: mostly near, sometimes at or beyond the edge of
    // the table (39 squares are still scored, 40 are not).
    int distance() {
        const int kind = rng_.below(100);
        if (kind < 60) {
            return rng_.between(-8, 8);
        }
        if (kind < 90) {
            return rng_.between(-39, 39);
        }
        return rng_.between(-45, 45);
    }

    QString foreignLocator() {
        const int column = std::clamp(ownColumn_ + distance(), 0, kLastPlace);
        const int row = std::clamp(ownRow_ + distance(), 0, kLastPlace);
        return dress(squareText(column, row));
    }

    QString qthKenner() {
        QString text;
        text += QChar(u'A' + rng_.below(26));
        text += QChar(u'A' + rng_.below(26));
        text += QChar(u'0' + rng_.below(10));
        text += QChar(u'0' + rng_.below(10));
        static const std::array<const char*, 9> kShifts{"",   "-",  "+",  " -", " +",
                                                        "--", "-+", "+-", "++"};
        text += QLatin1String(kShifts[static_cast<std::size_t>(rng_.below(9))]);
        if (rng_.percent(50)) {
            text = text.toLower();
        }
        if (rng_.percent(8)) {
            const int at = rng_.below(static_cast<int>(text.size()));
            text[at] = kLocatorish[rng_.below(static_cast<int>(kLocatorish.size()))];
        }
        if (rng_.percent(5)) {
            text = QStringLiteral(" ") + text + QStringLiteral(" ");
        }
        return text;
    }

    // ---- noise -------------------------------------------------------------

    Command noiseStep() {
        const int kind = rng_.below(1000);
        if (kind < 280) {
            return click(anyControl());
        }
        if (kind < 580) {
            return keys(randomText(rng_.between(1, rng_.percent(80) ? 4 : 12)));
        }
        if (kind < 700) {
            static const std::array<const char*, 3> kFields{"LOC1", "LOC2", "QTH2"};
            const QString name =
                rng_.percent(90) ? QLatin1String(kFields[static_cast<std::size_t>(rng_.below(3))])
                                 : anyControl();
            QString text = randomText(rng_.between(0, 7));
            if (rng_.percent(50)) {
                text += u'\r';
            }
            return type(name, text);
        }
        if (kind < 760) {
            return paste(pasteText());
        }
        if (kind < 810) {
            return click(QStringLiteral("INF"));
        }
        if (kind < 850) {
            return click(QStringLiteral("DRU"));
        }
        if (kind < 890) {
            return click(QStringLiteral("OK2"));
        }
        if (kind < 940) {
            return click(band(rng_.below(10)));
        }
        if (kind < 995) {
            static const std::array<const char*, 5> kEditingKeys{"\t", "\r", "\b", " ", "\x7f"};
            return keys(QString::fromUtf8(kEditingKeys[static_cast<std::size_t>(rng_.below(5))]));
        }
        if (kind < 998) {
            return click(QStringLiteral("OK1"));
        }
        return closeWindow();
    }

    // Any control of the window but END, which has its own small share.
    QString anyControl() {
        const std::vector<scenario::ControlInfo>& all = scenario::controls();
        while (true) {
            QString name = QLatin1String(
                all[static_cast<std::size_t>(rng_.below(static_cast<int>(all.size())))].name);
            if (name != u"OK1") {
                return name;
            }
        }
    }

    char32_t randomCharacter() {
        const int kind = rng_.below(100);
        if (kind < 55) {
            return kLocatorish[rng_.below(static_cast<int>(kLocatorish.size()))].unicode();
        }
        if (kind < 70) {
            return static_cast<char32_t>(rng_.between(0x20, 0x7E));
        }
        if (kind < 77) {
            return static_cast<char32_t>(rng_.between(0xA0, 0xFF));
        }
        if (kind < 83) {
            // Other Unicode: Latin Extended, Greek, CJK, fullwidth forms,
            // combining marks, emoji beyond the 16-bit range.
            static const std::array<std::pair<char32_t, char32_t>, 6> kRanges{{
                {0x100, 0x24F},
                {0x370, 0x3FF},
                {0x4E00, 0x4E80},
                {0xFF01, 0xFF5E},
                {0x300, 0x36F},
                {0x1F600, 0x1F64F},
            }};
            const auto& range = kRanges[static_cast<std::size_t>(rng_.below(6))];
            return range.first + static_cast<char32_t>(
                                     rng_.below(static_cast<int>(range.second - range.first + 1)));
        }
        if (kind < 89) {
            // Control characters, Delete and the C1 controls.
            const int pick = rng_.below(3);
            if (pick == 0) {
                return static_cast<char32_t>(rng_.between(0, 31));
            }
            return pick == 1 ? char32_t{127} : static_cast<char32_t>(rng_.between(0x80, 0x9F));
        }
        if (kind < 94) {
            return 8; // Backspace
        }
        if (kind < 98) {
            return 13; // Enter
        }
        return 9; // Tab
    }

    QString randomText(int length) {
        QString text;
        for (int i = 0; i < length; ++i) {
            text += character(randomCharacter());
        }
        return text;
    }

    QString pasteText() {
        int length = rng_.between(1, 10);
        if (rng_.permille(options_.longPastePermille)) {
            length = rng_.between(1000, 100000);
        } else if (rng_.percent(13)) {
            length = rng_.between(10, 1000);
        }
        QString text;
        text.reserve(length + 1);
        const bool anything = rng_.percent(30);
        while (text.size() < length) {
            if (anything && rng_.percent(2)) {
                // A lone half of a surrogate pair, which only a paste can bring.
                text += QChar(static_cast<char16_t>(rng_.between(0xD800, 0xDFFF)));
            } else if (anything) {
                text += character(randomCharacter());
            } else {
                text += kLocatorish[rng_.below(static_cast<int>(kLocatorish.size()))];
            }
        }
        return text;
    }

    Rng rng_;
    GeneratorOptions options_;
    int noise_ = 0;
    int ownColumn_ = 0;
    int ownRow_ = 0;
    bool ownTyped_ = false;
    std::deque<Command> plan_;
};

} // namespace

std::vector<scenario::Command> generateSession(std::uint64_t seed,
                                               const GeneratorOptions& options) {
    return Generator(seed, options).session();
}

} // namespace randomized
