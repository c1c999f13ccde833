// SPDX-License-Identifier: GPL-3.0-or-later
#include "qrb-score/file_list.h"

#include <cstdint>
#include <filesystem>
#include <system_error>
#include <unordered_map>

namespace qrb::score {

std::vector<std::string> distinctLogs(const std::vector<std::string>& names,
                                      std::vector<std::string>& repeated) {
    namespace fs = std::filesystem;
    std::vector<std::string> logs;
    // The files kept so far by size: only files of the same size can be one
    // and the same, and only those are compared by identity.
    std::unordered_multimap<std::uintmax_t, fs::path> bySize;
    bool standardInput = false;
    for (const std::string& name : names) {
        if (name == "-") {
            if (standardInput) {
                repeated.push_back(name);
                continue;
            }
            standardInput = true;
            logs.push_back(name);
            continue;
        }
        std::error_code error;
        const fs::path path(name);
        const std::uintmax_t size = fs::file_size(path, error);
        if (error) {
            logs.push_back(name); // a directory, a missing file: said when read
            continue;
        }
        bool seen = false;
        const auto [from, to] = bySize.equal_range(size);
        for (auto it = from; it != to && !seen; ++it) {
            seen = fs::equivalent(it->second, path, error) && !error;
        }
        if (seen) {
            repeated.push_back(name);
            continue;
        }
        bySize.emplace(size, path);
        logs.push_back(name);
    }
    return logs;
}

} // namespace qrb::score
