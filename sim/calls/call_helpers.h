// What the simulated platform calls share: the HA manager's descriptor, the texts of
// fixed-size fields, and the calls that read one number of the state.
#pragma once

#include <climits>
#include <cstddef>
#include <cstring>
#include <algorithm>
#include <string>

#include "sim/calls/call.h"
#include "sim/store/state.h"

namespace sim {

// The descriptor that getHAMFd() hands out; requests on it reach the simulator.
inline constexpr int kHamFd = 1000;

// The number after n, wrapping from the largest int to 1 instead of overflowing.
inline int wrapped_next(int n) { return n == INT_MAX ? 1 : n + 1; }

inline json text_or_null(const char* text) { return text == nullptr ? json(nullptr) : json(text); }

// The text of a fixed-size field, up to its first NUL.
inline std::string field(const char* data, size_t size) { return std::string(data, strnlen(data, size)); }

inline bool zero(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

// The bytes of a text field after its text are zero.
inline bool zero_behind_text(const char* data, size_t size)
{
    const size_t len = strnlen(data, size);
    return len == size || zero(data + len, size - len);
}

inline void copy_text(char* out, size_t size, const std::string& text)
{
    const size_t n = std::min(text.size(), size - 1);
    memcpy(out, text.data(), n);
    out[n] = '\0';
}

// A call that changes nothing and answers 0.
inline int answers_zero(const char* call, json args = json::array())
{
    return sim::read_call(call, std::move(args), [](const json&) { return 0; });
}

// A call whose result is one number of the state.
inline int read_int(const char* call, const char* key)
{
    return sim::read_call(call, json::array(), [key](const json& st) { return st.value(key, 0); });
}

// The next logical port: the HA state machine and the logical switches hand them out
// from one counter.
inline int next_lport(json& st)
{
    const int port = st.value("next_lport", 1024);
    st["next_lport"] = wrapped_next(port);
    return port;
}

}  // namespace sim
