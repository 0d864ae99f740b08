// The JSON text of a value as the simulator writes it (the state, the journal's lines).
#include "sim/store/json_text.h"

#include <string>

#include "sim/store/shape.h"

namespace sim {

// Appends the compact JSON text of a value that holds only UTF-8 texts, byte for byte as
// the JSON writer makes it (sorted keys, the same escapes); false for a value holding a
// floating-point number, which the writer must make.
bool append_compact(const json& value, std::string& out)
{
    switch (value.type()) {
    case json::value_t::null:
        out += "null";
        return true;
    case json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        return true;
    case json::value_t::number_integer:
        out += std::to_string(value.get<int64_t>());
        return true;
    case json::value_t::number_unsigned:
        out += std::to_string(value.get<uint64_t>());
        return true;
    case json::value_t::string: {
        static const char kHex[] = "0123456789abcdef";
        out += '"';
        for (const char c : value.get_ref<const std::string&>()) {
            const auto u = static_cast<unsigned char>(c);
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                } else {
                    out += c;
                }
            }
        }
        out += '"';
        return true;
    }
    case json::value_t::array: {
        out += '[';
        bool first = true;
        for (const json& item : value) {
            if (!first) {
                out += ',';
            }
            first = false;
            if (!append_compact(item, out)) {
                return false;
            }
        }
        out += ']';
        return true;
    }
    case json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) {
                out += ',';
            }
            first = false;
            if (!append_compact(json(key), out)) {
                return false;
            }
            out += ':';
            if (!append_compact(item, out)) {
                return false;
            }
        }
        out += '}';
        return true;
    }
    default:
        return false;
    }
}

std::string to_text(const json& value, int indent)
{
    // Most values hold only UTF-8 texts and are written as they are, without a copy.
    if (!needs_storing(value)) {
        if (indent < 0) {
            std::string out;
            if (append_compact(value, out)) {
                return out;
            }
        }
        return value.dump(indent, ' ', false, json::error_handler_t::replace);
    }
    return stored(value).dump(indent, ' ', false, json::error_handler_t::replace);
}

}  // namespace sim
