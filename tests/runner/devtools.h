// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A headless Chromium driven over its DevTools pipe (--remote-debugging-pipe:
// the browser reads commands from its file descriptor 3 and writes answers
// and events to 4, each message JSON ended by a NUL byte). Plain C++ and
// POSIX; the messages are nlohmann::json.

#include <chrono>
#include <deque>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace scenario::devtools {

using Json = nlohmann::json;

class Browser {
public:
    Browser() = default;
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    // Starts `program` headless with a fresh profile and every background
    // service that would reach the network switched off. Empty on success,
    // otherwise what went wrong.
    std::string start(const std::string& program);
    bool running() const { return pid_ > 0; }

    struct Answer {
        Json result;
        std::string error; // empty when the command succeeded
    };

    // Sends a command (to a page's session, or to the browser when
    // `session` is empty) and waits for its answer. Events that arrive
    // meanwhile go to the listener and are kept for waitFor.
    Answer call(const std::string& method, const Json& params = Json::object(),
                const std::string& session = {});

    // Sends a command without waiting for its answer, which is dropped when
    // it comes: for commands given while an event is heard.
    bool post(const std::string& method, const Json& params, const std::string& session);

    // Sends several commands at once, then waits for all their answers;
    // the browser carries them out in order. The first error, if any.
    std::string callAll(const std::vector<std::pair<std::string, Json>>& commands,
                        const std::string& session);

    // Waits for the event `method` of `session`; false when the browser
    // ended or it did not come in time. Events kept before it are dropped.
    bool waitFor(const std::string& method, const std::string& session);
    // Forgets the events kept so far.
    void dropEvents() { events_.clear(); }

    // Hears every event as it arrives.
    std::function<void(const Json& event)> onEvent;

    // How long an answer may take before the browser is given up.
    std::chrono::milliseconds patience{60000};

private:
    std::vector<Answer> exchange(const std::vector<std::pair<std::string, Json>>& commands,
                                 const std::string& session);
    bool send(const Json& message);
    // One message, or none when the browser ended or the time ran out.
    bool receive(Json& message, std::chrono::steady_clock::time_point until);
    void stop();

    pid_t pid_ = -1;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    std::string buffer_;
    std::string profile_;
    long nextId_ = 1;
    std::deque<Json> events_;
    std::string failure_;
};

} // namespace scenario::devtools
