// The state file is written by one writer with one layout, and read at every platform call
// of every command: reading that layout directly costs a fraction of the general parser.
// Anything that is not exactly that layout is declined, never guessed at.
#include "sim/store/fast_state.h"

#include <cstdint>
#include <string>
#include <utility>

#include "sim/store/shape.h"

namespace sim {
namespace {

// As the nesting check of the general path: a deeper text is declined, so that it gets
// that path's message.
constexpr int kMaxDepth = 32;
// Fewer digits than overflow a 64-bit integer; a longer number is left to the parser.
constexpr size_t kMaxDigits = 18;

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    bool document(json& out)
    {
        if (!value(out, 0)) {
            return false;
        }
        return take('\n') && at_ == text_.size();
    }

private:
    bool take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool take(std::string_view word)
    {
        if (text_.substr(at_, word.size()) == word) {
            at_ += word.size();
            return true;
        }
        return false;
    }

    // A line break and the indent of depth levels, one space each.
    bool indent(int depth)
    {
        if (!take('\n')) {
            return false;
        }
        const auto width = static_cast<size_t>(depth);
        if (text_.size() - at_ < width) {
            return false;
        }
        for (size_t i = 0; i < width; ++i) {
            if (text_[at_ + i] != ' ') {
                return false;
            }
        }
        at_ += width;
        return true;
    }

    bool value(json& out, int depth)
    {
        if (at_ >= text_.size()) {
            return false;
        }
        switch (text_[at_]) {
        case '{': return object(out, depth + 1);
        case '[': return array(out, depth + 1);
        case '"': {
            std::string s;
            if (!string(s)) {
                return false;
            }
            out = std::move(s);
            return true;
        }
        case 't': out = true; return take("true");
        case 'f': out = false; return take("false");
        case 'n': out = nullptr; return take("null");
        default: return number(out);
        }
    }

    bool object(json& out, int depth)
    {
        if (depth > kMaxDepth) {
            return false;
        }
        ++at_;
        out = json::object();
        if (take('}')) {
            return true;
        }
        auto& members = out.get_ref<json::object_t&>();
        std::string key;
        const std::string* last = nullptr;
        do {
            if (!indent(depth) || !string(key) || !take(": ")) {
                return false;
            }
            // The writer sorts the keys: one out of order, or twice, is not its text.
            if (last != nullptr && !(*last < key)) {
                return false;
            }
            json item;
            if (!value(item, depth)) {
                return false;
            }
            last = &members.emplace_hint(members.end(), std::move(key), std::move(item))->first;
        } while (take(','));
        return indent(depth - 1) && take('}');
    }

    bool array(json& out, int depth)
    {
        if (depth > kMaxDepth) {
            return false;
        }
        ++at_;
        out = json::array();
        if (take(']')) {
            return true;
        }
        auto& items = out.get_ref<json::array_t&>();
        do {
            if (!indent(depth)) {
                return false;
            }
            items.emplace_back();
            if (!value(items.back(), depth)) {
                return false;
            }
        } while (take(','));
        return indent(depth - 1) && take(']');
    }

    // An integer as the writer makes it: no plus sign, no leading zero, no "-0", no
    // fraction or exponent. Non-negative ones are unsigned, as the parser makes them.
    bool number(json& out)
    {
        const bool minus = take('-');
        const size_t start = at_;
        uint64_t magnitude = 0;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            magnitude = magnitude * 10 + static_cast<uint64_t>(text_[at_] - '0');
            ++at_;
        }
        const size_t digits = at_ - start;
        if (digits == 0 || digits > kMaxDigits || (text_[start] == '0' && (digits > 1 || minus))) {
            return false;
        }
        if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E')) {
            return false;
        }
        if (minus) {
            out = -static_cast<int64_t>(magnitude);
        } else {
            out = magnitude;
        }
        return true;
    }

    static int hex_digit(char c)
    {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    }

    // A string with only the writer's escapes: the seven short ones, and \u00XX (lowercase
    // hex) for the other controls. Bytes from 0x80 on must form UTF-8, as the parser wants.
    bool string(std::string& out)
    {
        if (!take('"')) {
            return false;
        }
        out.clear();
        bool wide = false;
        while (at_ < text_.size()) {
            // The plain bytes up to the next quote, backslash or control, in one piece.
            size_t end = at_;
            while (end < text_.size()) {
                const auto u = static_cast<unsigned char>(text_[end]);
                if (u == '"' || u == '\\' || u < 0x20) {
                    break;
                }
                wide = wide || u >= 0x80;
                ++end;
            }
            out.append(text_.data() + at_, end - at_);
            at_ = end;
            if (at_ >= text_.size()) {
                return false;
            }
            const char c = text_[at_++];
            if (c == '"') {
                return !wide || text_is_utf8(out);
            }
            if (c != '\\') {
                return false;
            }
            if (at_ >= text_.size()) {
                return false;
            }
            switch (text_[at_++]) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                if (text_.size() - at_ < 4 || text_.substr(at_, 2) != "00") {
                    return false;
                }
                const int hi = hex_digit(text_[at_ + 2]);
                const int lo = hex_digit(text_[at_ + 3]);
                at_ += 4;
                const int code = hi * 16 + lo;
                if (hi < 0 || lo < 0 || code >= 0x20 || code == '\b' || code == '\f' ||
                    code == '\n' || code == '\r' || code == '\t') {
                    return false;
                }
                out += static_cast<char>(code);
                break;
            }
            default: return false;
            }
        }
        return false;
    }

    std::string_view text_;
    size_t at_ = 0;
};

}  // namespace

bool read_own_state(std::string_view text, json& out)
{
    return Reader(text).document(out);
}

}  // namespace sim
