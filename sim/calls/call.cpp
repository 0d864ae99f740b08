// The one shape of a platform call: an injected failure, or the body on the state; then
// the journal line.
#include "sim/calls/call.h"

#include "sim/store/journal.h"
#include "sim/store/state.h"

namespace sim {
namespace {

const json* injected(const json& st, std::string_view name)
{
    const auto fails = st.find("fail");
    if (fails == st.end()) {
        return nullptr;
    }
    const auto it = fails->find(std::string(name));
    return it == fails->end() ? nullptr : &*it;
}

}  // namespace

int read_call(std::string_view name, json args, const std::function<int(const json&)>& body)
{
    const json& st = state();
    check_boot(st);
    const json* fail = injected(st, name);
    const int ret = fail != nullptr ? fail->get<int>() : body(st);
    // A read call changes nothing: the state it read is the state it journals for.
    journal_as(this_cp(st), name, args, ret);
    return ret;
}

int change_call(std::string_view name, json args, const std::function<int(json&)>& body)
{
    {
        const json& st = state();
        check_boot(st);
        if (const json* fail = injected(st, name); fail != nullptr) {
            const int ret = fail->get<int>();
            journal_as(this_cp(st), name, args, ret);
            return ret;
        }
    }
    int ret = 0;
    update_state([&](json& st) { ret = body(st); }, name, [&] { journal(name, args, ret); });
    return ret;
}

void void_call(std::string_view name, json args)
{
    const json& st = state();
    check_boot(st);
    journal_as(this_cp(st), name, args, nullptr);
}

}  // namespace sim
