// platform/syscon.h: the system controller: model and board, the DP upgrade check, the
// chassis reboot, the peer's address and the rest of the single calls.

#include "platform/ham.h"
#include "platform/syscon.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/ha_rules.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int sysconModel(void) { return read_int("sysconModel", "model"); }
int sysconHwBoardModel(void) { return read_int("sysconHwBoardModel", "board"); }
int esm_is_extnHcl_inprog(void) { return read_int("esm_is_extnHcl_inprog", "dp_upgrade"); }

int isw_get_fcr_state(uint16_t* state)
{
    json args = {state == nullptr ? json(nullptr) : json(*state)};
    return sim::read_call("isw_get_fcr_state", args, [state](const json& st) {
        if (state == nullptr) {
            return -1;
        }
        *state = st.value("fcr_state", uint16_t{2});
        return 0;
    });
}

int iswPause(void) { return answers_zero("iswPause"); }
int essPause(void) { return answers_zero("essPause"); }

int reboot_system(int* mode)
{
    json args = {mode == nullptr ? json(nullptr) : json(*mode)};
    return sim::change_call("reboot_system", args, [](json& st) {
        sim::chassis_goes_down(st);
        return 0;
    });
}

int fssm_admin(int code, HaAdminNotice* notice)
{
    json record = nullptr;
    if (notice != nullptr) {
        const bool rest_zero = zero_behind_text(notice->name, sizeof notice->name) &&
                               zero(notice->zero1, sizeof notice->zero1) &&
                               zero(notice->zero2, sizeof notice->zero2) &&
                               zero(notice->zero3, sizeof notice->zero3);
        record = {{"name", field(notice->name, sizeof notice->name)},
                  {"code", notice->code},
                  {"op", notice->op},
                  {"rest_zero", rest_zero}};
    }
    return answers_zero("fssm_admin", {code, record});
}

int get_peer_ip_str(char* address)
{
    return sim::read_call("get_peer_ip_str", json::array(), [address](const json& st) {
        if (address == nullptr) {
            return -1;
        }
        copy_text(address, kPeerIpSize, st.value("peer_ip", ""));
        return 0;
    });
}

int pd_init(void) { return answers_zero("pd_init"); }

int eth_create(int arg) { return answers_zero("eth_create", {arg}); }

}  // extern "C"
