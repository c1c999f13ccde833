// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/report.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace qrb::score {

namespace {

constexpr std::size_t kBandSlots = kBands.size() + 1; // the bands and their sum
constexpr std::uint64_t kSquares = std::uint64_t{24} * 24 * 100;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    for (const char c : text) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

int number(std::string_view digits) {
    int value = 0;
    for (const char c : digits) {
        value = value * 10 + (c - '0');
    }
    return value;
}

int daysIn(int month, int year) {
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

void upperInto(std::string& to, std::string_view text) {
    to.assign(text);
    for (char& c : to) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - ('a' - 'A'));
        }
    }
}

// A call (trimmed; letters in either case) of up to ten digits, letters and
// strokes packed into a number below 2^53 that no other call shares, never
// 0; 0 when the call does not fit.
// The digit of each byte in a packed call: 1–10 for 0–9, 11–36 for the
// letters in either case, 37 for the stroke; 0 for any other byte.
constexpr std::array<std::uint8_t, 256> kCallDigit = [] {
    std::array<std::uint8_t, 256> digits{};
    for (int c = '0'; c <= '9'; ++c) {
        digits[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(1 + c - '0');
    }
    for (int letter = 0; letter < 26; ++letter) {
        const auto digit = static_cast<std::uint8_t>(11 + letter);
        digits[static_cast<std::size_t>('A') + static_cast<std::size_t>(letter)] = digit;
        digits[static_cast<std::size_t>('a') + static_cast<std::size_t>(letter)] = digit;
    }
    digits['/'] = 37;
    return digits;
}();

std::uint64_t packedCall(std::string_view call) {
    constexpr std::size_t kLongest = 10;
    constexpr std::uint64_t kBase = 38;
    if (call.size() > kLongest) {
        return 0;
    }
    std::uint64_t packed = 0;
    bool odd = false;
    for (auto it = call.rbegin(); it != call.rend(); ++it) {
        const std::uint8_t digit = kCallDigit[static_cast<unsigned char>(*it)];
        odd = odd || digit == 0;
        packed = packed * kBase + digit;
    }
    return odd ? 0 : packed;
}

std::uint64_t mixed(std::uint64_t key) {
    key ^= key >> 31U;
    key *= 0x7fb5d329728ea185ULL;
    key ^= key >> 27U;
    key *= 0x81dadef4bc2dd44dULL;
    key ^= key >> 33U;
    return key;
}

std::uint64_t squareIndex(std::string_view square) {
    return ((static_cast<std::uint64_t>(square[0] - 'A') * 24 +
             static_cast<std::uint64_t>(square[1] - 'A')) *
                10 +
            static_cast<std::uint64_t>(square[2] - '0')) *
               10 +
           static_cast<std::uint64_t>(square[3] - '0');
}

} // namespace

// A set of 64-bit keys other than 0, with open addressing: eight bytes a key
// and a quarter of the table free at most fill.
class Report::KeySet {
public:
    // True when the key was not in the set yet.
    bool insert(std::uint64_t key) {
        if ((size_ + 1) * 4 > slots_.size() * 3) {
            grow();
        }
        if (place(slots_, key)) {
            ++size_;
            return true;
        }
        return false;
    }

private:
    static std::size_t home(std::uint64_t key, std::size_t mask) {
        return static_cast<std::size_t>(mixed(key)) & mask;
    }
    static bool place(std::vector<std::uint64_t>& slots, std::uint64_t key) {
        const std::size_t mask = slots.size() - 1;
        for (std::size_t i = home(key, mask);; i = (i + 1) & mask) {
            if (slots[i] == key) {
                return false;
            }
            if (slots[i] == 0) {
                slots[i] = key;
                return true;
            }
        }
    }
    void grow() {
        std::vector<std::uint64_t> bigger(slots_.empty() ? 16 : slots_.size() * 2, 0);
        for (const std::uint64_t key : slots_) {
            if (key != 0) {
                place(bigger, key);
            }
        }
        slots_.swap(bigger);
    }

    std::vector<std::uint64_t> slots_;
    std::size_t size_ = 0;
};

// The calls of one block with the bands each has scored on: a packed call
// and its ten band bits in one 64-bit word, open addressing, a quarter of
// the table free at most fill. One look into memory per contact.
class Report::CallBands {
public:
    static constexpr unsigned kBandBits = 10;

    // The slot where a look for the call starts.
    std::uint64_t peek(std::uint64_t packed) const {
        return slots_.empty() ? 0 : slots_[mixed(packed) & (slots_.size() - 1)];
    }

    // True when the call had not scored on the band yet; marks it.
    bool firstOnBand(std::uint64_t packed, int band) {
        if ((size_ + 1) * 4 > slots_.size() * 3) {
            grow();
        }
        const std::uint64_t bit = std::uint64_t{1} << static_cast<unsigned>(band);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = mixed(packed) & mask;; i = (i + 1) & mask) {
            std::uint64_t& slot = slots_[i];
            if (slot == 0) {
                slot = (packed << kBandBits) | bit;
                ++size_;
                return true;
            }
            if ((slot >> kBandBits) == packed) {
                const bool first = (slot & bit) == 0;
                slot |= bit;
                return first;
            }
        }
    }

private:
    void grow() {
        constexpr std::size_t kFirstSize = 1024;
        std::vector<std::uint64_t> bigger(slots_.empty() ? kFirstSize : slots_.size() * 2, 0);
        const std::size_t mask = bigger.size() - 1;
        for (const std::uint64_t slot : slots_) {
            if (slot != 0) {
                std::size_t i = mixed(slot >> kBandBits) & mask;
                while (bigger[i] != 0) {
                    i = (i + 1) & mask;
                }
                bigger[i] = slot;
            }
        }
        slots_.swap(bigger);
    }

    std::vector<std::uint64_t> slots_;
    std::size_t size_ = 0;
};

std::string isoDate(std::string_view written) {
    std::string iso;
    if (!isoDateInto(iso, written)) {
        iso = trimmed(written);
    }
    return iso;
}

std::size_t isoDateChars(char* iso, std::string_view written) {
    const std::string_view text = trimmed(written);
    if ((text.size() != 8 && text.size() != 6) || !allDigits(text)) {
        return 0;
    }
    const bool shortYear = text.size() == 6;
    const std::size_t yearDigits = shortYear ? 2 : 4;
    int year = number(text.substr(0, yearDigits));
    if (shortYear) {
        constexpr int kPivot = 80;
        year += year >= kPivot ? 1900 : 2000;
    }
    const int month = number(text.substr(yearDigits, 2));
    const int day = number(text.substr(yearDigits + 2, 2));
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > daysIn(month, year)) {
        return 0;
    }
    iso[0] = static_cast<char>('0' + year / 1000);
    iso[1] = static_cast<char>('0' + year / 100 % 10);
    iso[2] = static_cast<char>('0' + year / 10 % 10);
    iso[3] = static_cast<char>('0' + year % 10);
    iso[4] = '-';
    iso[5] = text[yearDigits];
    iso[6] = text[yearDigits + 1];
    iso[7] = '-';
    iso[8] = text[yearDigits + 2];
    iso[9] = text[yearDigits + 3];
    return kIsoDateChars;
}

bool isoDateInto(std::string& iso, std::string_view written) {
    std::array<char, kIsoDateChars> chars{};
    const std::size_t size = isoDateChars(chars.data(), written);
    if (size == 0) {
        return false;
    }
    iso.assign(chars.data(), size);
    return true;
}

std::string clockTime(std::string_view written, bool seconds) {
    std::string clock;
    if (!clockTimeInto(clock, written, seconds)) {
        clock = trimmed(written);
    }
    return clock;
}

std::size_t clockTimeChars(char* clock, std::string_view written, bool seconds) {
    const std::string_view text = trimmed(written);
    if ((text.size() != 4 && text.size() != 6) || !allDigits(text) ||
        number(text.substr(0, 2)) > 23 || number(text.substr(2, 2)) > 59 ||
        (text.size() == 6 && number(text.substr(4, 2)) > 59)) {
        return 0;
    }
    const bool withSeconds = seconds && text.size() == 6;
    clock[0] = text[0];
    clock[1] = text[1];
    clock[2] = ':';
    clock[3] = text[2];
    clock[4] = text[3];
    if (!withSeconds) {
        return 5;
    }
    clock[5] = ':';
    clock[6] = text[4];
    clock[7] = text[5];
    return kClockTimeChars;
}

bool clockTimeInto(std::string& clock, std::string_view written, bool seconds) {
    std::array<char, kClockTimeChars> chars{};
    const std::size_t size = clockTimeChars(chars.data(), written, seconds);
    if (size == 0) {
        return false;
    }
    clock.assign(chars.data(), size);
    return true;
}

std::string stationText(const std::string& station) {
    return station.empty() ? std::string("nicht angegeben") : station;
}

bool countedOnly(std::string_view reason) {
    return reason == reason::kBandUnknown || reason == reason::kOwnMissing;
}

Report::Report(Rules rules, bool tables)
    : rules_(rules), tables_(tables), squares_(std::make_unique<KeySet>()) {}

Report::~Report() = default;

void Report::beginFile(std::string_view name) {
    file_ = name;
    fileInLastBlock_ = false;
}

std::size_t Report::blockOf(const std::string& station, const std::string& square) {
    if (blocks_.empty() || blocks_[lastBlock_].station != station ||
        blocks_[lastBlock_].square != square) {
        std::string key = station;
        key += '\n';
        key += square;
        const auto [it, added] = blockIndex_.try_emplace(std::move(key), blocks_.size());
        if (added) {
            blocks_.push_back(Block{station, square, {}, {}, {}, {}, {}});
            calls_.push_back(std::make_unique<CallBands>());
        }
        lastBlock_ = it->second;
        fileInLastBlock_ = false;
    }
    if (!fileInLastBlock_) {
        std::vector<std::string>& files = blocks_[lastBlock_].files;
        if (std::find(files.begin(), files.end(), file_) == files.end()) {
            files.push_back(file_);
        }
        fileInLastBlock_ = true;
    }
    return lastBlock_;
}

void Report::expect(const logbook::Record* records, std::size_t count) {
    if (calls_.empty()) {
        return;
    }
    const CallBands& calls = *calls_[lastBlock_];
    // Loads that depend on nothing before them: the processor has them
    // under way together.
    aheadRecords_.clear();
    aheadPacked_.clear();
    aheadNext_ = 0;
    for (std::size_t k = 0; k < count; ++k) {
        aheadRecords_.push_back(&records[k]);
        aheadPacked_.push_back(packedCall(trimmed(records[k].call)));
    }
    // The loads alone, in a loop of a few instructions: all of them fit the
    // processor's window at once.
    std::uint64_t seen = 0;
    for (const std::uint64_t packed : aheadPacked_) {
        seen ^= calls.peek(packed);
    }
    expected_ ^= seen;
}

bool Report::firstOnBand(std::size_t block, int band, std::string_view call,
                         std::optional<std::uint64_t> ahead) {
    if (const std::uint64_t packed = ahead ? *ahead : packedCall(call); packed != 0) {
        return calls_[block]->firstOnBand(packed, band);
    }
    upperInto(call_, call);
    call = call_;
    std::string key = std::to_string(block * kBands.size() + static_cast<std::size_t>(band));
    key += ' ';
    key += call;
    return oddCalls_.insert(std::move(key)).second;
}

void Report::countSkipped(std::string_view reason) {
    ++skippedTotal_;
    for (auto& [known, count] : skipped_) {
        if (known == reason) {
            ++count;
            return;
        }
    }
    skipped_.emplace_back(reason, 1);
}

std::size_t Report::judge(const logbook::Record& record, ContactScore& contact, Marks& marks) {
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    marks = Marks{};
    // The call as expect() packed it, if it saw this contact.
    std::optional<std::uint64_t> ahead;
    if (aheadNext_ < aheadRecords_.size() && aheadRecords_[aheadNext_] == &record) {
        ahead = aheadPacked_[aheadNext_++];
    }
    if (!contact.scored) {
        countSkipped(contact.reason);
        if (contact.reason == reason::kOwnMissing &&
            (withoutOwn_.empty() || withoutOwn_.back() != file_)) {
            withoutOwn_.push_back(file_);
        }
        return kNone;
    }
    const bool satellite = madeThroughSatellite(record);
    if (satellite && rules_.noSat) {
        contact.scored = false;
        contact.reason = reason::kSatellite;
        countSkipped(contact.reason);
        return kNone;
    }
    const std::string_view station = trimmed(record.stationCall).empty()
                                         ? trimmed(record.operatorCall)
                                         : trimmed(record.stationCall);
    // A log names the same station on nearly every contact: it is upper-cased
    // only when the text changes.
    if (station != stationWritten_) {
        stationWritten_ = station;
        upperInto(station_, station);
    }
    const std::size_t index = blockOf(station_, contact.own);
    const std::string_view call = trimmed(record.call);
    const bool repeat = !call.empty() && !firstOnBand(index, contact.band, call, ahead);
    if (repeat && rules_.unique) {
        contact.scored = false;
        contact.reason = reason::kRepeat;
        countSkipped(contact.reason);
        return kNone;
    }
    marks.repeat = repeat;
    marks.satellite = satellite;

    Block& block = blocks_[index];
    const auto band = static_cast<std::size_t>(contact.band);
    for (BandTotals* totals : {&block.bands[band], &block.sum}) {
        ++totals->contacts;
        totals->qrb += contact.qrb;
        totals->repeats += repeat ? 1 : 0;
        totals->satellite += satellite ? 1 : 0;
    }
    if (tables_) {
        const std::uint64_t square = squareIndex(contact.loc);
        const std::uint64_t base = index * kBandSlots;
        if (squares_->insert(1 + (base + band) * kSquares + square)) {
            ++block.bands[band].squares;
        }
        if (squares_->insert(1 + (base + kBands.size()) * kSquares + square)) {
            ++block.sum.squares;
        }
    }
    // The dates of a block name its pages; the CSV has no use for them.
    const bool validDate = (tables_ || !sinks_.empty()) && isoDateInto(date_, record.date);
    if (validDate) {
        if (block.firstDate.empty() || date_ < block.firstDate) {
            block.firstDate = date_;
        }
        if (block.lastDate.empty() || date_ > block.lastDate) {
            block.lastDate = date_;
        }
    }
    if (!sinks_.empty()) {
        const BlockContact counted{index,
                                   contact.loc,
                                   contact.band,
                                   contact.pkt,
                                   contact.qrb,
                                   trimmed(record.call),
                                   validDate ? std::string_view(date_) : std::string_view(),
                                   marks};
        for (BlockContactSink* sink : sinks_) {
            sink->contact(block, counted);
        }
    }
    return index;
}

std::pair<std::string, std::string> Report::dateRange() const {
    std::string first;
    std::string last;
    for (const Block& block : blocks_) {
        if (!block.firstDate.empty() && (first.empty() || block.firstDate < first)) {
            first = block.firstDate;
        }
        if (!block.lastDate.empty() && (last.empty() || block.lastDate > last)) {
            last = block.lastDate;
        }
    }
    return {first, last};
}

bool madeThroughSatellite(const logbook::Record& record) {
    const std::string_view mode = trimmed(record.propMode);
    return (mode.size() == 3 && (mode[0] == 'S' || mode[0] == 's') &&
            (mode[1] == 'A' || mode[1] == 'a') && (mode[2] == 'T' || mode[2] == 't')) ||
           !trimmed(record.satName).empty();
}

} // namespace qrb::score
