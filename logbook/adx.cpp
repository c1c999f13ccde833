// SPDX-License-Identifier: GPL-3.0-or-later
// ADX, ADIF written as XML:
//
//   <ADX><HEADER>...</HEADER>
//   <RECORDS><RECORD><CALL>DL1ABC</CALL><GRIDSQUARE>JO62</GRIDSQUARE>...</RECORD>
//   ...</RECORDS></ADX>
//
// read with expat, one chunk at a time. The parser is suspended at the end of
// each RECORD, so that a contact is handed out before the next one is read.
// Element names are compared without regard to case, as loggers write them
// either way.

#include "logbook/internal.h"

#include <expat.h>
#include <string>
#include <utility>

namespace qrb::logbook::detail {

namespace {

// Deeper nesting than any ADX file has; a deeper one is refused before the
// parser's stack of open elements grows with the file.
constexpr std::size_t kMaxDepth = 256;
// Bytes the parser may take in without reporting anything: a single tag,
// comment or declaration this long would otherwise be held in memory whole.
constexpr std::size_t kMaxQuietBytes = std::size_t{1024} * 1024;

class AdxReader final : public Reader {
public:
    explicit AdxReader(ChunkBuffer buffer);
    ~AdxReader() override;
    AdxReader(const AdxReader&) = delete;
    AdxReader& operator=(const AdxReader&) = delete;
    AdxReader(AdxReader&&) = delete;
    AdxReader& operator=(AdxReader&&) = delete;

    bool next(Record& record) override;
    Format format() const override { return Format::Adx; }

private:
    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** attributes);
    static void XMLCALL onEnd(void* self, const XML_Char* name);
    static void XMLCALL onText(void* self, const XML_Char* text, int length);
    static void XMLCALL onComment(void* self, const XML_Char* text);

    void start(std::string_view name);
    void end();
    ReadError errorHere(ReadFault fault) const;
    void abort(ReadError error);
    bool stop(ReadError error);
    std::size_t line() const;

    ChunkBuffer in_;
    XML_Parser parser_;
    Record* target_ = nullptr;
    std::size_t depth_ = 0;
    std::size_t headerDepth_ = 0;  // depth of the open HEADER element, 0 outside it
    std::size_t recordDepth_ = 0;  // depth of the open RECORD element, 0 outside it
    std::string* field_ = nullptr; // the text of the contact now being read
    std::size_t records_ = 0;
    std::size_t recordLine_ = 0;
    std::size_t quiet_ = 0;
    bool held_ = false;      // the buffer holds bytes not yet given to the parser
    bool suspended_ = false; // the parser stopped at the end of a contact
    bool finished_ = false;  // the last bytes have been given to the parser
    bool ready_ = false;     // a whole contact has been read
    bool done_ = false;
    std::optional<ReadError> abortedBy_; // why a handler stopped the parser
};

AdxReader::AdxReader(ChunkBuffer buffer)
    : in_(std::move(buffer)), parser_(XML_ParserCreate(nullptr)), held_(in_.size() > 0) {
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, &AdxReader::onStart, &AdxReader::onEnd);
    XML_SetCharacterDataHandler(parser_, &AdxReader::onText);
    XML_SetCommentHandler(parser_, &AdxReader::onComment);
}

AdxReader::~AdxReader() {
    XML_ParserFree(parser_);
}

void XMLCALL AdxReader::onStart(void* self, const XML_Char* name, const XML_Char** /*attributes*/) {
    static_cast<AdxReader*>(self)->start(name);
}

void XMLCALL AdxReader::onEnd(void* self, const XML_Char* /*name*/) {
    static_cast<AdxReader*>(self)->end();
}

void XMLCALL AdxReader::onText(void* self, const XML_Char* text, int length) {
    auto* reader = static_cast<AdxReader*>(self);
    reader->quiet_ = 0;
    std::string* const field = reader->field_;
    if (field == nullptr || field->size() >= kMaxFieldBytes || length <= 0) {
        return;
    }
    const std::size_t room = kMaxFieldBytes - field->size();
    const auto size = static_cast<std::size_t>(length);
    field->append(text, size < room ? size : room);
}

void XMLCALL AdxReader::onComment(void* self, const XML_Char* /*text*/) {
    static_cast<AdxReader*>(self)->quiet_ = 0;
}

std::size_t AdxReader::line() const {
    return static_cast<std::size_t>(XML_GetCurrentLineNumber(parser_));
}

void AdxReader::start(std::string_view name) {
    quiet_ = 0;
    ++depth_;
    if (depth_ > kMaxDepth) {
        ReadError error = errorHere(ReadFault::XmlTooDeep);
        error.limit = kMaxDepth;
        abort(std::move(error));
        return;
    }
    if (recordDepth_ != 0) {
        if (depth_ == recordDepth_ + 1) {
            field_ = contactField(name, *target_);
            if (field_ != nullptr) {
                field_->clear();
            }
        } else {
            field_ = nullptr; // text of an element inside a field belongs to no field
        }
        return;
    }
    if (headerDepth_ != 0) {
        return;
    }
    if (equalsNoCase(name, "HEADER")) {
        headerDepth_ = depth_;
    } else if (equalsNoCase(name, "RECORD")) {
        recordDepth_ = depth_;
        recordLine_ = line();
        clearContact(*target_);
    }
}

void AdxReader::end() {
    quiet_ = 0;
    if (recordDepth_ != 0 && depth_ == recordDepth_) {
        recordDepth_ = 0;
        field_ = nullptr;
        target_->number = ++records_;
        target_->line = recordLine_;
        ready_ = true;
        XML_StopParser(parser_, XML_TRUE);
    } else if (recordDepth_ != 0 && depth_ == recordDepth_ + 1) {
        field_ = nullptr;
    } else if (depth_ == headerDepth_) {
        headerDepth_ = 0;
    }
    --depth_;
}

ReadError AdxReader::errorHere(ReadFault fault) const {
    ReadError error;
    error.fault = fault;
    error.line = line();
    error.record = recordDepth_ != 0 ? records_ + 1 : 0;
    return error;
}

void AdxReader::abort(ReadError error) {
    if (!abortedBy_) {
        abortedBy_ = std::move(error);
    }
    XML_StopParser(parser_, XML_FALSE);
}

bool AdxReader::stop(ReadError error) {
    error_ = std::move(error);
    done_ = true;
    return false;
}

bool AdxReader::next(Record& record) {
    if (done_) {
        return false;
    }
    target_ = &record;
    ready_ = false;
    for (;;) {
        XML_Status status = XML_STATUS_OK;
        if (suspended_) {
            suspended_ = false;
            status = XML_ResumeParser(parser_);
        } else if (finished_) {
            done_ = true;
            return false;
        } else {
            if (!held_) {
                in_.refill(in_.size());
                if (in_.failed()) {
                    return stop(errorHere(ReadFault::ReadFailed));
                }
                held_ = in_.size() > 0;
            }
            finished_ = !held_;
            const int size = held_ ? static_cast<int>(in_.size()) : 0;
            quiet_ += static_cast<std::size_t>(size);
            held_ = false;
            status = XML_Parse(parser_, in_.data(), size, finished_ ? XML_TRUE : XML_FALSE);
            if (status != XML_STATUS_ERROR && quiet_ > kMaxQuietBytes) {
                ReadError error = errorHere(ReadFault::XmlElementTooLong);
                error.limit = kMaxQuietBytes;
                return stop(std::move(error));
            }
        }
        if (status == XML_STATUS_ERROR) {
            if (abortedBy_) {
                error_ = abortedBy_;
                done_ = true;
                return false;
            }
            ReadError error = errorHere(ReadFault::XmlSyntax);
            error.detail = XML_ErrorString(XML_GetErrorCode(parser_));
            return stop(std::move(error));
        }
        suspended_ = status == XML_STATUS_SUSPENDED;
        if (ready_) {
            return true;
        }
    }
}

} // namespace

std::unique_ptr<Reader> makeAdxReader(ChunkBuffer buffer) {
    return std::make_unique<AdxReader>(std::move(buffer));
}

} // namespace qrb::logbook::detail
