// SPDX-License-Identifier: GPL-3.0-or-later
// The key filter shared by the three entry fields: any sequence of keys, with
// the shared counter starting anywhere, up to the top of its range. A key is
// the first key of an entry exactly when it comes first or right after an
// Enter, however many keys came before; every key reaches the field, in upper
// case.
//
// Input: the first byte sets where the counter starts (0..127 for bytes below
// 0x80, otherwise that many below the counter's maximum: 0x80 is the maximum
// itself); the rest, decoded by decodeUnits, are the keys in order.

#include "fuzz/fuzz_support.h"
#include "input/key_filter.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr qrb::KeyCount kMaxCount = std::numeric_limits<qrb::KeyCount>::max();

qrb::KeyCount startCount(std::uint8_t byte) {
    constexpr std::uint8_t kHigh = 0x80;
    return byte < kHigh ? qrb::KeyCount{byte} : kMaxCount - (byte - kHigh);
}

void checkUpperCase(char16_t key, char16_t upper) {
    if (key >= u'a' && key <= u'z') {
        QRB_FUZZ_REQUIRE(upper == key - (u'a' - u'A'));
    } else if (key < 128) {
        QRB_FUZZ_REQUIRE(upper == key);
    } else {
        // Nothing outside ASCII turns into an ASCII letter, digit or sign that
        // the checks of locator and QTH-Kenner would accept.
        QRB_FUZZ_REQUIRE(upper >= 128);
    }
    QRB_FUZZ_REQUIRE(qrb::toUpperKey(upper) == upper);
}

void checkDelivers(char16_t key) {
    const bool delivers = qrb::deliversCharacter(key);
    if (key == qrb::kEnter || key == qrb::kBackspace || (key >= u' ' && key <= u'~')) {
        QRB_FUZZ_REQUIRE(delivers);
    } else if (key < u' ' || key == 127) {
        QRB_FUZZ_REQUIRE(!delivers);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const qrb::KeyCount start = startCount(data[0]);
    const std::u16string keys = qrb::fuzz::decodeUnits(data + 1, size - 1);

    // The help button's click counter keeps alternating from any count,
    // across the top of its range too.
    QRB_FUZZ_REQUIRE(qrb::helpShown(qrb::nextClickCount(start)) != qrb::helpShown(start));
    QRB_FUZZ_REQUIRE(qrb::helpShown(start) == (start % 2 == 1));

    qrb::KeyCount count = start;
    // Whether the next key starts a new entry: at the start only when the
    // counter stands at 0, afterwards exactly after an Enter.
    bool nextIsFirst = start == 0;
    for (const char16_t key : keys) {
        const qrb::KeyCount before = count;
        const qrb::KeyStep step = qrb::filterKey(count, key);

        QRB_FUZZ_REQUIRE(step.firstKey == nextIsFirst);
        QRB_FUZZ_REQUIRE(step.code == qrb::toUpperKey(key));
        checkUpperCase(key, step.code);
        checkDelivers(key);

        const bool isEnter = key == qrb::kEnter;
        QRB_FUZZ_REQUIRE(step.enter == isEnter);
        if (isEnter) {
            QRB_FUZZ_REQUIRE(count == 0);
        } else {
            // Counting on, stopping at the top instead of wrapping round.
            QRB_FUZZ_REQUIRE(count == (before == kMaxCount ? kMaxCount : before + 1));
            QRB_FUZZ_REQUIRE((count == 1) == step.firstKey);
        }
        nextIsFirst = isEnter;
    }
    return 0;
}
