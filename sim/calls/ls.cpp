// platform/ls.h: logical switches, kept in the state under "ls".

#include <cstring>
#include <string>

#include "common/utf8.h"
#include "platform/ls.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/ha_rules.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

namespace {

json ports_json(const uint8_t* ports)
{
    json list = json::array();
    for (int p = 0; p < kPortCount; ++p) {
        if (ports[p] != 0) {
            list.push_back({p, ports[p]});
        }
    }
    return list;
}

json expand_json(const ExpandRequest* request)
{
    if (request == nullptr) {
        return nullptr;
    }
    return {{"ge", request->ge}, {"ports", ports_json(request->ports)}};
}

json& switch_of(json& st, int sw) { return st["ls"][std::to_string(sw)]; }

bool has_switch(const json& st, int sw) { return st["ls"].contains(std::to_string(sw)); }

// Attribute names are keys of the stored state, which holds only UTF-8 ones.
bool storable_name(const char* name) { return name != nullptr && haadm::is_utf8(name, strlen(name)); }

int expand(json& st, int sw, const ExpandRequest* request, bool add)
{
    if (request == nullptr || !has_switch(st, sw)) {
        return -1;
    }
    json& ports = switch_of(st, sw)["ports"];
    for (int p = 0; p < kPortCount; ++p) {
        if (request->ports[p] == 0) {
            continue;
        }
        if (add) {
            ports[std::to_string(p)] = request->ports[p];
        } else {
            ports.erase(std::to_string(p));
        }
    }
    return 0;
}

}  // namespace

extern "C" {

int ls_create(TestParamList* params)
{
    json args = nullptr;
    if (params != nullptr) {
        json entries = json::array();
        const int count = params->count;
        bool rest_zero = count >= 0 && count <= 17;
        for (int i = 0; i < 17; ++i) {
            const TestParam& e = params->entry[i];
            if (i < count) {
                entries.push_back({field(e.name, sizeof e.name), field(e.value, sizeof e.value)});
                rest_zero = rest_zero && zero_behind_text(e.name, sizeof e.name) &&
                            zero_behind_text(e.value, sizeof e.value);
            } else {
                rest_zero = rest_zero && zero(&e, sizeof e);
            }
        }
        args = {{"count", count}, {"entries", entries}, {"rest_zero", rest_zero}};
    }
    json parsed = args;
    return sim::change_call("ls_create", {args}, [parsed](json& st) {
        if (parsed.is_null()) {
            return -1;
        }
        const int sw = sim::new_switch_number(st);
        json attrs = json::object();
        for (const json& e : parsed["entries"]) {
            attrs[e[0].get<std::string>()] = e[1];
        }
        switch_of(st, sw) = {{"ports", json::object()}, {"attr", attrs}, {"enabled", false}};
        return sw;
    });
}

static int set_enabled(const char* name, json args, int sw, bool enabled)
{
    return sim::change_call(name, std::move(args), [sw, enabled](json& st) {
        if (!has_switch(st, sw)) {
            return -1;
        }
        switch_of(st, sw)["enabled"] = enabled;
        return 0;
    });
}

int ls_enable(int sw) { return set_enabled("ls_enable", {sw}, sw, true); }
int ls_disable(int sw) { return set_enabled("ls_disable", {sw}, sw, false); }

int ls_delete(int sw)
{
    return sim::change_call("ls_delete", {sw}, [sw](json& st) {
        return st["ls"].erase(std::to_string(sw)) == 1 ? 0 : -1;
    });
}

int ls_shutdown(int sw, const char* text) { return set_enabled("ls_shutdown", {sw, text_or_null(text)}, sw, false); }
int ls_restart(int sw, const char* text) { return set_enabled("ls_restart", {sw, text_or_null(text)}, sw, true); }

static int expand_call(const char* name, json args, int sw, const ExpandRequest* request, bool add)
{
    args.push_back(expand_json(request));
    return sim::change_call(name, std::move(args), [=](json& st) { return expand(st, sw, request, add); });
}

int ls_expand(int sw, ExpandRequest* request) { return expand_call("ls_expand", {sw}, sw, request, true); }
int ls_deexpand(int sw, ExpandRequest* request) { return expand_call("ls_deexpand", {sw}, sw, request, false); }
int ls_expand_sync(const char* service, int sw, ExpandRequest* request)
{
    return expand_call("ls_expand_sync", {text_or_null(service), sw}, sw, request, true);
}
int ls_deexpand_sync(const char* service, int sw, ExpandRequest* request)
{
    return expand_call("ls_deexpand_sync", {text_or_null(service), sw}, sw, request, false);
}

int ls_alloc_lport(int a, int b) { return sim::change_call("ls_alloc_lport", {a, b}, next_lport); }

int ls_free_lport(int a, int b) { return answers_zero("ls_free_lport", {a, b}); }

int ls_get_swport(int sw, SwPortRecord* record)
{
    return sim::read_call("ls_get_swport", {sw}, [sw, record](const json& st) {
        if (record == nullptr || !has_switch(st, sw)) {
            return -1;
        }
        memset(record->ports, 0, sizeof record->ports);
        for (const auto& [port, byte] : st["ls"][std::to_string(sw)]["ports"].items()) {
            const int p = std::stoi(port);
            if (p >= 0 && p < kPortCount) {
                record->ports[p] = byte.get<uint8_t>();
            }
        }
        return 0;
    });
}

int ls_set_attribute(int sw, const char* name, const char* value)
{
    return sim::change_call("ls_set_attribute", {sw, text_or_null(name), text_or_null(value)},
                            [sw, name, value](json& st) {
                                if (!has_switch(st, sw) || !storable_name(name) || value == nullptr) {
                                    return -1;
                                }
                                switch_of(st, sw)["attr"][name] =
                                    std::string(value).substr(0, kLsAttributeMax - 1);
                                return 0;
                            });
}

int ls_get_attribute(int sw, const char* name, char* value)
{
    json args = {sw, text_or_null(name)};
    if (value == nullptr) {
        args.push_back(nullptr);
    }
    return sim::read_call("ls_get_attribute", args, [sw, name, value](const json& st) {
        if (!has_switch(st, sw) || name == nullptr) {
            return -1;
        }
        const json& attrs = st["ls"][std::to_string(sw)]["attr"];
        const std::string text = attrs.value(name, "");
        if (value == nullptr) {
            return strcmp(name, "FID") == 0 ? atoi(text.c_str()) : -1;
        }
        copy_text(value, kLsAttributeMax, text);
        return attrs.contains(name) ? 0 : -1;
    });
}

int ls_set_sys_attribute(const char* name, const char* value)
{
    return sim::change_call("ls_set_sys_attribute", {text_or_null(name), text_or_null(value)},
                            [name, value](json& st) {
                                if (!storable_name(name) || value == nullptr) {
                                    return -1;
                                }
                                st["sysattr"][name] = std::string(value).substr(0, kLsAttributeMax - 1);
                                return 0;
                            });
}

int ls_get_sys_attribute(const char* name, char* value)
{
    json args = {text_or_null(name)};
    if (value == nullptr) {
        args.push_back(nullptr);
    }
    return sim::read_call("ls_get_sys_attribute", args, [name, value](const json& st) {
        if (name == nullptr || value == nullptr || !st["sysattr"].contains(name)) {
            return -1;
        }
        copy_text(value, kLsAttributeMax, st["sysattr"][name].get<std::string>());
        return 0;
    });
}

int ls_get_peer_version(PeerVersion* version)
{
    return sim::read_call("ls_get_peer_version", json::array(), [version](const json& st) {
        if (version == nullptr) {
            return -1;
        }
        version->major = st["peer_version"][0].get<int32_t>();
        version->minor = st["peer_version"][1].get<int32_t>();
        return 0;
    });
}

}  // extern "C"
