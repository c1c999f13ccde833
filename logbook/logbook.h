// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qrb::logbook {

// Bytes read from the stream at a time; a reader's buffer never grows beyond it.
inline constexpr std::size_t kChunkBytes = std::size_t{256} * 1024;
// The longest text kept of one field; a longer field is cut there (the rest
// of it is read past, not stored).
inline constexpr std::size_t kMaxFieldBytes = 1024;
// The longest line an EDI file may have; a longer one stops the reading.
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} * 1024;

// The three kinds of logbook file, told apart by their content.
enum class Format {
    Adif, // ADIF tagged text (.adi)
    Adx,  // ADIF as XML (.adx)
    Edi,  // REG1TEST contest log (.edi), one file per band and contest
};

// One contact as the file holds it. Texts are the file's own bytes (UTF-8 or
// whatever the logger wrote), not trimmed and not upper-cased.
struct Record {
    std::size_t number = 0; // 1-based number of the contact in its file
    std::size_t line = 0;   // line of the file where the contact begins (1-based)
    std::string call;
    std::string date;         // as written: YYYYMMDD (ADIF, ADX) or YYMMDD (EDI)
    std::string time;         // as written: HHMM or HHMMSS
    std::string ownLocator;   // MY_GRIDSQUARE (ADIF, ADX) or the header's PWWLo (EDI)
    std::string locator;      // GRIDSQUARE (ADIF, ADX) or the 10th field (EDI)
    std::string band;         // BAND (ADIF, ADX) or the header's PBand (EDI)
    std::string freq;         // FREQ in MHz (ADIF, ADX); empty for EDI
    std::string stationCall;  // STATION_CALLSIGN (ADIF, ADX) or the header's PCall (EDI)
    std::string operatorCall; // OPERATOR (ADIF, ADX)
    std::string propMode;     // PROP_MODE (ADIF, ADX): "SAT" for a satellite contact
    std::string satName;      // SAT_NAME (ADIF, ADX)
    // Whether the other station's confirmation came in (ADIF, ADX): by card,
    // through LoTW and through eQSL; "Y" or "V" when it did.
    std::string qslReceived;  // QSL_RCVD
    std::string lotwReceived; // LOTW_QSL_RCVD
    std::string eqslReceived; // EQSL_QSL_RCVD
    bool duplicate = false;   // EDI: a "D" in the 15th field
};

// What stopped the reading of a file.
enum class ReadFault {
    ReadFailed,        // the stream could not be read (at the start or later)
    Empty,             // nothing but blanks
    UnknownFormat,     // none of the three formats
    RecordNotClosed,   // ADIF: the file ends inside a contact, <EOR> missing
    FieldCutOff,       // ADIF: the file ends inside a field's data
    LineTooLong,       // EDI: a line longer than `limit` bytes
    NoContactSection,  // EDI: no [QSORecords] section
    XmlTooDeep,        // ADX: elements nested deeper than `limit` levels
    XmlElementTooLong, // ADX: one element longer than `limit` bytes
    XmlSyntax,         // ADX: not well-formed; `detail` holds the parser's words
};

// Why a file could not be read on, with its data: the line and the contact
// where that helps (0 when it does not). readErrorText() words it.
struct ReadError {
    ReadFault fault = ReadFault::ReadFailed;
    std::size_t line = 0;
    std::size_t record = 0;
    std::string field;           // FieldCutOff: the field's name as written
    std::uint64_t announced = 0; // FieldCutOff: the data length the tag announced
    std::uint64_t missing = 0;   // FieldCutOff: the bytes of it the file lacks
    std::uint64_t limit = 0;     // LineTooLong, XmlElementTooLong: bytes; XmlTooDeep: levels
    std::string detail;          // XmlSyntax: what the XML parser says (English)
};

// The error in German, one sentence without a full stop, followed by the line
// and the contact where they are known: "… (Zeile 4, Verbindung 3)".
std::string readErrorText(const ReadError& error);

// Reads one contact at a time; memory does not grow with the file.
class Reader {
public:
    virtual ~Reader() = default;
    // The next contact into `record`; false at the end of the file or when the
    // file cannot be read on (then error() says why).
    virtual bool next(Record& record) = 0;
    virtual Format format() const = 0;
    const std::optional<ReadError>& error() const { return error_; }

protected:
    std::optional<ReadError> error_;
};

// A reader for the stream, its format recognised from the first bytes. When
// the content is in none of the three formats (or empty), returns nullptr and
// says why in `error`. The stream must outlive the reader.
std::unique_ptr<Reader> openReader(std::istream& in, ReadError& error);

// A reader of the given format, without looking at the content first, that
// reads `chunkBytes` at a time (at least 512). Never nullptr.
std::unique_ptr<Reader> openReader(std::istream& in, Format format,
                                   std::size_t chunkBytes = kChunkBytes);

// "ADIF", "ADX" or "EDI".
std::string_view formatName(Format format);

// Band index of the award (0 = 50 MHz … 9 = 47 GHz) for a contact: from the
// ADIF band name (case-insensitive: 6m 2m 70cm 23cm 13cm 9cm 6cm 3cm 1.25cm
// 6mm), else from the frequency in MHz. Empty when neither names one of the
// ten bands.
std::optional<int> bandFromAdif(std::string_view band, std::string_view freqMhz);

// Band index for an EDI PBand: "144 MHz", "145 MHz", "1,3 GHz", "1296 MHz",
// "144", "145" … A bare number is MHz from 50 up and GHz below.
std::optional<int> bandFromEdi(std::string_view pband);

// Band index for a frequency in MHz ("144.174753", "1296", decimal point or
// comma, blanks around it allowed), by the ranges of the ten bands (ends
// included). Empty when it is no number or lies outside them.
std::optional<int> bandFromFrequency(std::string_view mhz);

} // namespace qrb::logbook
