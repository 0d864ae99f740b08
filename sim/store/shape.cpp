// The shape of a stored state, checked once when it is read, and the way texts that are
// not UTF-8 are kept in it.
//
// Texts are bytes. A text that is valid UTF-8 is stored as a JSON string; any other text
// is stored as an object {"bytes":"HEX"} holding its bytes as lowercase hex digits, two a
// byte. Reading turns such objects back into the bytes at the places where the state
// holds a text, so a text comes back exactly as it went in.
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>

#include "common/utf8.h"
#include "platform/ls.h"
#include "sim/store/keys.h"
#include "sim/store/shape.h"

namespace sim {
namespace {

// Deeper than any state the simulator writes, shallow enough for every recursive walk.
constexpr int kMaxDepth = 32;

bool is_utf8(const std::string& text) { return haadm::is_utf8(text.data(), text.size()); }

std::string to_hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        hex += kDigits[u >> 4];
        hex += kDigits[u & 0xF];
    }
    return hex;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// A text at a text position, made the string of its bytes; "is not a text" otherwise.
void text_at(json& value, const std::string& where)
{
    std::string bytes;
    std::string why;
    if (!text_bytes(value, bytes, why)) {
        wrong(where, "is not a text");
    }
    value = bytes;
}

void text(json& object, const std::string& where, const char* key)
{
    text_at(member(object, where, key), join(where, key));
}

void integer(const json& object, const std::string& where, const char* key, long long low, long long high)
{
    integer_value(member(object, where, key), join(where, key), low, high);
}

json& object_at(json& object, const std::string& where, const char* key)
{
    json& value = member(object, where, key);
    if (!value.is_object()) {
        wrong(join(where, key), "is not an object");
    }
    return value;
}

json& pair_at(json& object, const std::string& where, const char* key)
{
    json& value = member(object, where, key);
    if (!value.is_array() || value.size() != 2) {
        wrong(join(where, key), "is not a list of two");
    }
    return value;
}

void integer_pair(json& st, const char* key, long long low, long long high)
{
    json& pair = pair_at(st, "", key);
    for (int i = 0; i < 2; ++i) {
        integer_value(pair[i], std::string(key) + "[" + std::to_string(i) + "]", low, high);
    }
}

// A key that is a number as the simulator writes it: decimal, without leading zeros.
bool decimal_key(const std::string& key, long long low, long long high)
{
    const auto value = parse_number(key);
    return value && std::to_string(*value) == key && *value >= low && *value <= high;
}

void check_session(json& record, const std::string& where)
{
    if (!record.is_object()) {
        wrong(where, "is not an object");
    }
    integer(record, where, "fl", INT32_MIN, UINT32_MAX);
    for (const char* key : {"up", "ac", "sy", "ch"}) {
        integer(record, where, key, 0, UINT32_MAX);
    }
    text(record, where, "rbr");
}

void check_switch(json& sw, const std::string& where)
{
    if (!sw.is_object()) {
        wrong(where, "is not an object");
    }
    for (auto& [port, byte] : object_at(sw, where, "ports").items()) {
        if (!decimal_key(port, 0, kPortCount - 1)) {
            wrong(where + ".ports", "has a port '" + port + "' that is not a number from 0 to " +
                                        std::to_string(kPortCount - 1));
        }
        integer_value(byte, where + ".ports." + port, 0, 255);
    }
    for (auto& [name, value] : object_at(sw, where, "attr").items()) {
        text_at(value, where + ".attr." + name);
    }
    if (!member(sw, where, "enabled").is_boolean()) {
        wrong(where + ".enabled", "is not true or false");
    }
}

void check(json& st)
{
    if (!st.is_object()) {
        wrong("", "the top level is not an object");
    }
    const std::string top;
    for (const NumberKey& key : kNumberKeys) {
        integer(st, top, key.name, key.low, key.high);
    }
    for (const TextKey& key : kTextKeys) {
        text(st, top, key.name);
    }
    integer_pair(st, "slots", INT32_MIN, INT32_MAX);
    json& status = object_at(st, top, "status");
    for (const char* key : {"local", "remote", "summary"}) {
        text(status, "status", key);
    }
    if (st.contains("status_set")) {
        json& set = st["status_set"];
        if (!set.is_array()) {
            wrong("status_set", "is not a list");
        }
        for (size_t i = 0; i < set.size(); ++i) {
            const json& key = set[i];
            if (key != "local" && key != "remote" && key != "summary") {
                wrong("status_set[" + std::to_string(i) + "]", "is not local, remote or summary");
            }
            for (size_t j = 0; j < i; ++j) {
                if (set[j] == key) {
                    wrong("status_set[" + std::to_string(i) + "]", "repeats an earlier entry");
                }
            }
        }
    }
    json& lock = member(st, top, "lock");
    if (!lock.is_null()) {
        if (!lock.is_object()) {
            wrong("lock", "is neither null nor an object");
        }
        integer(lock, "lock", "pid", INT32_MIN, INT32_MAX);
        if (lock["pid"] == 0) {
            wrong("lock.pid", "is 0 in a held lock");
        }
        integer(lock, "lock", "trans", INT32_MIN, INT32_MAX);
        integer(lock, "lock", "time", 0, UINT32_MAX);
        text(lock, "lock", "cmd");
        integer(lock, "lock", "cp", 0, 1);
    }
    if (st.contains("boots")) {  // restarts of each CP; chassis of earlier versions have none
        integer_pair(st, "boots", 0, INT32_MAX);
    }
    if (st.contains("clock_offset")) {  // a copy's clock less the host's, in seconds; only copies have it
        integer(st, top, "clock_offset", -(1LL << 40), 1LL << 40);
    }
    if (st.contains("restarting")) {  // CPs a command took down; chassis of earlier versions have none
        json& down = pair_at(st, top, "restarting");
        for (int cp = 0; cp < 2; ++cp) {
            if (!down[cp].is_boolean()) {
                wrong("restarting[" + std::to_string(cp) + "]", "is not true or false");
            }
        }
    }
    json& hsess = pair_at(st, top, "hsess");
    check_session(hsess[0], "hsess[0]");
    check_session(hsess[1], "hsess[1]");
    for (auto& [name, sw] : object_at(st, top, "ls").items()) {
        if (!decimal_key(name, INT32_MIN, INT32_MAX)) {
            wrong("ls", "has a switch '" + name + "' that is not a 32-bit number");
        }
        check_switch(sw, "ls." + name);
    }
    for (auto& [name, value] : object_at(st, top, "sysattr").items()) {
        text_at(value, "sysattr." + name);
    }
    integer_pair(st, "peer_version", INT32_MIN, INT32_MAX);
    for (const auto& [call, result] : object_at(st, top, "fail").items()) {
        integer_value(result, "fail." + call, INT32_MIN, INT32_MAX);
    }
}

}  // namespace

std::string check_nesting(const std::string& text)
{
    int depth = 0;
    bool in_string = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                in_string = false;
            }
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxDepth) {
                return "values are nested deeper than " + std::to_string(kMaxDepth) + " levels";
            }
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return {};
}

std::string parse_failure(const std::exception& error)
{
    // The parser's own message quotes the bytes it stopped at and names itself: only the
    // position is kept.
    const std::string said = error.what();
    int line = 0;
    int column = 0;
    const size_t at = said.find(" at line ");
    if (at == std::string::npos || sscanf(said.c_str() + at, " at line %d, column %d", &line, &column) != 2) {
        return "it is not JSON";
    }
    return "it is not JSON at line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::string check_state(json& state)
{
    try {
        check(state);
    } catch (const Wrong& w) {
        return w.where.empty() ? w.what : w.where + " " + w.what;
    }
    return {};
}

void wrong(const std::string& where, const std::string& what) { throw Wrong{where, what}; }

std::string join(const std::string& where, const std::string& key)
{
    return where.empty() ? key : where + "." + key;
}

const json& member(const json& object, const std::string& where, const std::string& key)
{
    const auto it = object.find(key);
    if (it == object.end()) {
        wrong(join(where, key), "is missing");
    }
    return *it;
}

json& member(json& object, const std::string& where, const std::string& key)
{
    return const_cast<json&>(member(std::as_const(object), where, key));
}

long long integer_value(const json& value, const std::string& where, long long low, long long high)
{
    if (value.is_number_unsigned() ? value.get<uint64_t>() <= static_cast<uint64_t>(high)
                                   : value.is_number_integer() && value.get<int64_t>() >= low &&
                                         value.get<int64_t>() <= high) {
        return value.get<long long>();
    }
    wrong(where, "is not an integer from " + std::to_string(low) + " to " + std::to_string(high));
}

bool text_bytes(const json& value, std::string& bytes, std::string& why)
{
    if (value.is_string()) {
        bytes = value.get<std::string>();
        return true;
    }
    if (!value.is_object() || value.size() != 1 || !value.contains("bytes") || !value["bytes"].is_string()) {
        why = "is neither a text nor {\"bytes\": \"HEX\"}";
        return false;
    }
    const std::string& hex = value["bytes"].get_ref<const std::string&>();
    if (hex.size() % 2 != 0) {
        why = "has an odd number of hex digits";
        return false;
    }
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hex_digit(hex[i]);
        const int lo = hex_digit(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            why = "holds bytes that are not lowercase hex digits";
            return false;
        }
        bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool needs_storing(const json& value)
{
    if (value.is_string()) {
        return !is_utf8(value.get_ref<const std::string&>());
    }
    if (value.is_array() || value.is_object()) {
        for (const auto& item : value) {
            if (needs_storing(item)) {
                return true;
            }
        }
    }
    return false;
}

json stored(const json& value)
{
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        return is_utf8(text) ? value : json{{"bytes", to_hex(text)}};
    }
    if (value.is_array() || value.is_object()) {
        json copy = value;
        for (auto& item : copy) {
            item = stored(item);
        }
        return copy;
    }
    return value;
}

std::optional<long long> parse_number(const std::string& text)
{
    const bool minus = !text.empty() && text[0] == '-';
    std::string_view digits(text);
    digits.remove_prefix(minus ? 1 : 0);
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
        base = 16;
    }
    // Unsigned: from_chars takes no sign, no blank and no prefix.
    unsigned long long magnitude = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    const unsigned long long limit = static_cast<unsigned long long>(LLONG_MAX) + (minus ? 1 : 0);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || magnitude > limit) {
        return std::nullopt;
    }
    return minus ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
}

std::string to_text(const json& value, int indent)
{
    return needs_storing(value) ? stored(value).dump(indent) : value.dump(indent);
}

}  // namespace sim
