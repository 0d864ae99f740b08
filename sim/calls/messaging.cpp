// platform/messaging.h: the IPC client, faked from the state (node, message size, the
// halt message's answer).

#include <cstring>

#include "platform/messaging.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int ipc_max_msg_size(int channel)
{
    return sim::read_call("ipc_max_msg_size", {channel},
                          [](const json& st) { return st.value("ipc_max", 8192); });
}

int ipcInit(const char* client, uint16_t pid, int max_msg_size, int flags)
{
    return answers_zero("ipcInit", {text_or_null(client), pid, max_msg_size, flags});
}

void ipcExit(void) { sim::void_call("ipcExit", json::array()); }

int myNode(void) { return read_int("myNode", "node"); }

int ipcSendRcv(const IpcAddress* to, int type, const void* data, int len, uint32_t* reply_word,
               void* reply, const IpcWait* wait)
{
    json address = nullptr;
    if (to != nullptr) {
        address = {{"node", to->node}, {"pad", to->pad}, {"name", field(to->name, sizeof to->name)}};
    }
    json limit = nullptr;
    if (wait != nullptr) {
        limit = {{"sec", wait->sec}, {"usec", wait->usec}};
    }
    json payload = data == nullptr ? json(nullptr) : json("<data>");
    return sim::read_call("ipcSendRcv", {address, type, payload, len, limit},
                          [reply_word, reply](const json&) {
                              if (reply_word != nullptr) {
                                  *reply_word = 0;
                              }
                              if (reply != nullptr) {
                                  memset(reply, 0, 20);
                              }
                              return 0;
                          });
}

}  // extern "C"
