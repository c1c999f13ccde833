// SPDX-License-Identifier: GPL-3.0-or-later
#include "output/printer.h"

namespace qrb {

namespace {

// The left margin of the printout.
constexpr std::u16string_view kIndent = u"     ";
// Under the header, one character longer than it.
constexpr std::u16string_view kRule = u"     _____________________________";

std::u16string indented(std::u16string_view line) {
    std::u16string text(kIndent);
    text += line;
    return text;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10U) + (text[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6U));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12U));
            out += static_cast<char>(0x80 | ((c >> 6U) & 0x3FU));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18U));
            out += static_cast<char>(0x80 | ((c >> 12U) & 0x3FU));
            out += static_cast<char>(0x80 | ((c >> 6U) & 0x3FU));
            out += static_cast<char>(0x80 | (c & 0x3FU));
        }
    }
    return out;
}

// `text` with the outcome's subject where it says %s.
std::u16string naming(std::u16string_view text, const PrintOutcome& outcome) {
    std::u16string out(text);
    if (const std::size_t at = out.find(u"%s"); at != std::u16string::npos) {
        out.replace(at, 2, outcome.failure.subject);
    }
    return out;
}

} // namespace

std::u16string printFailureReason(const PrintOutcome& outcome) {
    switch (outcome.failure.error) {
    case PrintError::Unknown:
        return {};
    case PrintError::NoPrintLibrary:
        return u"die CUPS-Bibliothek (libcups.so.2) fehlt";
    case PrintError::ServerUnreachable:
        return naming(u"der Druckserver %s ist nicht erreichbar", outcome);
    case PrintError::ServerSilent:
        return naming(u"der Druckserver %s antwortet nicht", outcome);
    case PrintError::NoDefaultPrinter:
        return u"kein Standarddrucker eingerichtet";
    case PrintError::DefaultPrinterUnknown:
        return u"kein Standarddrucker: " + outcome.failure.detail;
    case PrintError::PrinterNotOpened:
        return naming(u"der Drucker %s lässt sich nicht öffnen", outcome);
    case PrintError::NoPageSize:
        return naming(u"der Drucker %s nennt keine Seitengröße", outcome);
    case PrintError::FontMissing:
        return naming(u"die Schrift %s fehlt", outcome);
    case PrintError::NotTaken:
        return naming(u"%s nimmt den Auftrag nicht an", outcome) +
               (outcome.failure.detail.empty() ? u"" : u": " + outcome.failure.detail);
    case PrintError::PrinterSilent:
        return u"der Drucker antwortet nicht";
    case PrintError::NotLaidOut:
        return u"der Druckauftrag ließ sich nicht aufbereiten";
    case PrintError::FileNotLaidOut:
        return naming(u"%s ließ sich nicht aufbereiten", outcome);
    case PrintError::FileNotWritten:
        return outcome.failure.subject + u": " + outcome.failure.detail;
    }
    return {};
}

std::string printFailureMessage(const PrintOutcome& outcome) {
    const std::string reason = utf8(printFailureReason(outcome));
    if (outcome.failure.error == PrintError::FileNotWritten) {
        return "nicht geschrieben: " + reason;
    }
    return reason.empty() ? std::string("nicht gedruckt") : "nicht gedruckt: " + reason;
}

std::vector<std::u16string> printedLines(const std::vector<std::u16string>& header,
                                         const std::vector<std::u16string>& log) {
    std::vector<std::u16string> lines;
    lines.reserve(header.size() + 1 + log.size());
    for (const std::u16string& line : header) {
        lines.push_back(indented(line));
    }
    lines.emplace_back(kRule);
    for (const std::u16string& line : log) {
        lines.push_back(indented(line));
    }
    return lines;
}

PrintJob logPrintJob(const std::vector<std::u16string>& header,
                     const std::vector<std::u16string>& log) {
    return {u"Courier New", 10, printedLines(header, log)};
}

bool printLog(Printer& printer, const std::vector<std::u16string>& header,
              const std::vector<std::u16string>& log) {
    return printer.print(logPrintJob(header, log)).accepted;
}

} // namespace qrb
