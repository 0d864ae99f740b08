// The quick state reader against the general JSON parser, for any text in the state file:
// either the quick reader declines it, or it gives the very value the parser gives (the
// same types, not only equal numbers), nesting that the general path accepts, and a text
// that the simulator's writer makes again byte for byte.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/ha_rules.h"
#include "sim/store/journal.h"
#include "sim/store/json_text.h"
#include "sim/store/layout.h"
#include "sim/store/paths.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"
#include "sim/store/fast_state.h"

namespace {

bool same(const sim::json& a, const sim::json& b)
{
    if (a.type() != b.type()) {
        return false;
    }
    if (a.is_array()) {
        if (a.size() != b.size()) {
            return false;
        }
        for (size_t i = 0; i < a.size(); ++i) {
            if (!same(a[i], b[i])) {
                return false;
            }
        }
        return true;
    }
    if (a.is_object()) {
        if (a.size() != b.size()) {
            return false;
        }
        for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
            if (ia.key() != ib.key() || !same(ia.value(), ib.value())) {
                return false;
            }
        }
        return true;
    }
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    sim::json quick;
    if (!sim::read_own_state(text, quick)) {
        return 0;
    }
    if (!sim::check_nesting(text).empty()) {
        abort();
    }
    sim::json full;
    try {
        full = sim::json::parse(text);
    } catch (const sim::json::exception&) {
        abort();
    }
    if (!same(quick, full) || sim::to_text(full, 1) + "\n" != text) {
        abort();
    }
    return 0;
}
