// hasyncstart and hasyncstop: start or stop the HA state synchronisation.
#include "haadm/sync.h"

#include <cstdio>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "platform/ham.h"

namespace haadm {
namespace {

// Copies at most size - 1 bytes of text[0, len) into a zeroed field.
void copy_field(char* field, size_t size, const char* text, size_t len)
{
    memcpy(field, text, len < size - 1 ? len : size - 1);
}

// The steps both commands share. Returns the ending for the platform refusal or the
// standby CP; else fills state (the first reading) and the request.
std::optional<Outcome> prepare(const Run& run, uint32_t& state, SyncRequest& request)
{
    state = static_cast<uint32_t>(getHAMStat());
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    if ((static_cast<uint32_t>(getHAMStat()) & kHaActive) == 0) {
        return leave(0);  // the standby CP has nothing to synchronise from
    }
    request = make_sync_request(run.argc > 1 ? run.argv[1] : nullptr);
    return std::nullopt;
}

}  // namespace

SyncRequest make_sync_request(const char* argument)
{
    SyncRequest request{};
    if (argument == nullptr) {
        return request;
    }
    const char* colon = strchr(argument, ':');
    const size_t head_len = colon != nullptr ? static_cast<size_t>(colon - argument)
                                             : strlen(argument);
    copy_field(request.head, sizeof request.head, argument, head_len);
    if (colon != nullptr) {
        copy_field(request.tail, sizeof request.tail, colon + 1, strlen(colon + 1));
    }
    return request;
}

Outcome cmd_hasyncstart(Run& run)
{
    uint32_t state = 0;
    SyncRequest request{};
    if (auto ended = prepare(run, state, request)) {
        return *ended;
    }
    if ((state & kHaEnabled) == 0) {
        puts("HA is not enabled. Please enable HA first.");
        return early_return(-1);
    }
    if ((state & kHaSynchronized) != 0) {
        puts("HA State is already synchronized");
        return leave(0);
    }
    const int rc = hasm_synstart(&request);
    if (rc != 0) {
        printf("%s ErrCode = %d\n", "HA State synchronization has failed", rc);
        return leave(1);
    }
    puts("HA State synchronization has started");
    return leave(0);
}

Outcome cmd_hasyncstop(Run& run)
{
    uint32_t state = 0;
    SyncRequest request{};
    if (auto ended = prepare(run, state, request)) {
        return *ended;
    }
    if ((state & kHaSynchronized) == 0) {
        puts("HA State is already out of synchronization");
        return leave(0);
    }
    const int rc = hasm_synstop(&request);
    if (rc != 0) {
        printf("%s ErrCode = %d\n", "hasyncstop failed", rc);
        return leave(1);
    }
    printf("%s.\n", "HA State synchronization has stopped");
    return leave(0);
}

}  // namespace haadm
