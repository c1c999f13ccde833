// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/report.h"

#include "output/log_line.h"
#include "report/contact.h"
#include "report/date_time.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

namespace qrb::report {

namespace {

constexpr std::size_t kBandSlots = kBands.size() + 1; // the bands and their sum
constexpr std::uint64_t kSquares = kSquareCount;

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

std::string stationText(const std::string& station) {
    return station.empty() ? std::string("nicht angegeben") : station;
}

namespace {

// The window's sum, digits and sign, in ASCII.
std::string sumDigits(std::int64_t qrb) {
    const std::u16string sum = sumText(qrb);
    return {sum.begin(), sum.end()};
}

} // namespace

std::string blockHeading(const Block& block) {
    std::string heading = "Eigener Locator: " + block.square + ", Station: ";
    heading += stationText(block.station);
    heading += block.files.size() == 1 ? ", Datei: " : ", Dateien: ";
    for (std::size_t i = 0; i < block.files.size(); ++i) {
        heading += i == 0 ? "" : ", ";
        heading += block.files[i];
    }
    return heading;
}

std::string blockSumText(const Block& block) {
    return "Summe QRB:" + sumDigits(block.sum.qrb);
}

std::string stationTotalText(const StationTotal& total) {
    return "Gesamtsumme QRB (Station " + stationText(total.station) + "):" + sumDigits(total.qrb);
}

std::string skippedCaption(std::uint64_t count) {
    return "Nicht gewertet: " + std::to_string(count);
}

void appendMarks(std::string& to, const Marks& marks) {
    std::string_view before;
    for (const auto& [marked, name] :
         {std::pair{marks.repeat, "Wiederholung"}, std::pair{marks.satellite, "Satellit"},
          std::pair{marks.confirmed, "bestätigt"}}) {
        if (marked) {
            to += before;
            to += name;
            before = ", ";
        }
    }
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
        aheadPacked_.push_back(packedCall(trimmedSpace(records[k].call)));
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

void Report::countSkipped(Skip reason) {
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
        if (contact.reason == Skip::OwnMissing &&
            (withoutOwn_.empty() || withoutOwn_.back() != file_)) {
            withoutOwn_.push_back(file_);
        }
        return kNone;
    }
    const bool satellite = madeThroughSatellite(record);
    const auto leaveOut = [&](Skip why) {
        contact.scored = false;
        contact.reason = why;
        countSkipped(why);
        return kNone;
    };
    // A contact that one rule leaves out is not looked at by the next: the
    // repeats are judged among the contacts that remain.
    if (satellite && rules_.noSat) {
        return leaveOut(Skip::Satellite);
    }
    const bool confirmed = confirmedContact(record);
    if (!confirmed && rules_.confirmed) {
        return leaveOut(Skip::Unconfirmed);
    }
    const std::string_view station = stationOf(record);
    // A log names the same station on nearly every contact: it is upper-cased
    // only when the text changes.
    if (station != stationWritten_) {
        stationWritten_ = station;
        upperInto(station_, station);
    }
    const std::size_t index = blockOf(station_, contact.own);
    const std::string_view call = trimmedSpace(record.call);
    const bool repeat = !call.empty() && !firstOnBand(index, contact.band, call, ahead);
    if (repeat && rules_.unique) {
        return leaveOut(Skip::Repeat);
    }
    marks.repeat = repeat;
    marks.satellite = satellite;
    marks.confirmed = confirmed;

    Block& block = blocks_[index];
    const auto band = static_cast<std::size_t>(contact.band);
    for (BandTotals* totals : {&block.bands[band], &block.sum}) {
        ++totals->contacts;
        totals->qrb += contact.qrb;
        totals->repeats += repeat ? 1 : 0;
        totals->satellite += satellite ? 1 : 0;
        totals->confirmed += confirmed ? 1 : 0;
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
                                   call,
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

std::vector<StationTotal> Report::stationTotals() const {
    std::vector<StationTotal> totals;
    std::vector<bool> done(blocks_.size(), false);
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (done[i]) {
            continue;
        }
        std::size_t count = 0;
        StationTotal total{blocks_[i].station, 0};
        for (std::size_t k = i; k < blocks_.size(); ++k) {
            if (blocks_[k].station == blocks_[i].station) {
                done[k] = true;
                ++count;
                total.qrb += blocks_[k].sum.qrb;
            }
        }
        if (count > 1) {
            totals.push_back(std::move(total));
        }
    }
    return totals;
}

namespace {

// The texts of a title part, each once, in the order they come: the first
// few named, the others counted.
class TitleNames {
public:
    void add(const std::string& name) {
        if (std::find(names_.begin(), names_.end(), name) == names_.end()) {
            names_.push_back(name);
        }
    }
    std::string text() const {
        constexpr std::size_t kNamed = 3;
        std::string joined;
        for (std::size_t i = 0; i < names_.size() && i < kNamed; ++i) {
            joined += i == 0 ? "" : ", ";
            joined += names_[i];
        }
        if (names_.size() > kNamed) {
            joined += " und " + std::to_string(names_.size() - kNamed) + " weitere";
        }
        return joined;
    }

private:
    std::vector<std::string> names_;
};

} // namespace

ReportTitle Report::title(int band) const {
    TitleNames stations;
    TitleNames squares;
    for (const Block& block : blocks_) {
        stations.add(stationText(block.station));
        squares.add(block.square);
    }
    ReportTitle title{stations.text(), squares.text(), {}, {}};
    if (band >= 0 && static_cast<std::size_t>(band) < kBands.size()) {
        title.band = bandCaption(static_cast<std::size_t>(band));
    }
    const auto [first, last] = dateRange();
    title.dates = dateSpan(first, last);
    return title;
}

std::string dateSpan(const std::string& first, const std::string& last) {
    if (first.empty() || first == last) {
        return first;
    }
    return first + " bis " + last;
}

std::string titleText(const ReportTitle& title) {
    std::string text = "QRB-Punkte";
    std::string_view separator = ": ";
    const auto part = [&text, &separator](std::string_view before, const std::string& value) {
        if (!value.empty()) {
            text += separator;
            text += before;
            text += value;
            separator = " \u00b7 ";
        }
    };
    part({}, title.stations);
    part("Locator ", title.squares);
    part("Band ", title.band);
    part({}, title.dates);
    return text;
}

bool confirmedContact(const logbook::Record& record) {
    for (const std::string* field :
         {&record.qslReceived, &record.lotwReceived, &record.eqslReceived}) {
        const std::string_view value = trimmedSpace(*field);
        if (value.size() == 1 &&
            (value[0] == 'Y' || value[0] == 'y' || value[0] == 'V' || value[0] == 'v')) {
            return true;
        }
    }
    return false;
}

bool madeThroughSatellite(const logbook::Record& record) {
    const std::string_view mode = trimmedBlanksTabs(record.propMode);
    return (mode.size() == 3 && (mode[0] == 'S' || mode[0] == 's') &&
            (mode[1] == 'A' || mode[1] == 'a') && (mode[2] == 'T' || mode[2] == 't')) ||
           !trimmedBlanksTabs(record.satName).empty();
}

} // namespace qrb::report
