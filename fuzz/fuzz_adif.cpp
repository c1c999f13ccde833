// SPDX-License-Identifier: GPL-3.0-or-later
// The ADIF reader (tagged text, .adi): any bytes read as an ADIF log. Contacts
// come numbered 1, 2, 3 … in order with non-decreasing lines and bounded texts,
// nothing follows an error or the end, and reading 512 bytes at a time or
// after recognising the format gives the same contacts and the same end.
//
// Input: the bytes of the file.

#include "fuzz/fuzz_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qrb::fuzz::checkReader(data, size, qrb::logbook::Format::Adif);
    return 0;
}
