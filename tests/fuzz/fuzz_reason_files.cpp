// The reason files as other platform components may leave them: any bytes, in any of
// the three files. The first two bytes choose which files exist and where the content
// is split; the HA manager must get at most 31 characters and both emptied files must
// be empty afterwards.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzz_chassis.h"
#include "sim/store/state.h"
#include "reboot/reboot.h"

namespace {

void put(const std::string& cp_path, bool present, const std::string& content)
{
    const std::string path = fuzz::chassis() + cp_path;
    if (!present) {
        unlink(path.c_str());
        return;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

bool empty_file(const std::string& cp_path)
{
    std::ifstream in(fuzz::chassis() + cp_path, std::ios::binary);
    return in && in.peek() == std::ifstream::traits_type::eof();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::chassis();
    fuzz::trim_journal();
    if (size < 2) {
        return 0;
    }
    const unsigned files = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const size_t cut1 = std::min<size_t>(data[1] % 97, rest.size());
    const size_t cut2 = std::min<size_t>(cut1 + (data[1] / 3 % 97), rest.size());
    put(reboot::kReasonFile, (files & 1) != 0, rest.substr(0, cut1));
    put(reboot::kAltReasonFile, (files & 2) != 0, rest.substr(cut1, cut2 - cut1));
    put(reboot::kSecondaryReasonFile, (files & 4) != 0, rest.substr(cut2));
    report_reboot_reason();
    if (!empty_file(reboot::kReasonFile) || !empty_file(reboot::kSecondaryReasonFile)) {
        __builtin_trap();
    }
    // The simulator keeps texts as UTF-8 (bytes that are not UTF-8 become U+FFFD), so
    // characters are counted, not bytes.
    const std::string reason = sim::state().value("rb_reason", "");
    size_t characters = 0;
    for (const char c : reason) {
        characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    if (characters > 31) {
        __builtin_trap();
    }
    // A recorded reason is kept until it is reported.
    if (reboot_reason_set("x") != 0 || reboot_reason_set("y") != -1) {
        __builtin_trap();
    }
    return 0;
}
