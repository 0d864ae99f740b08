// Objects and hooks that the platform libraries expect to find in the executable.
// The tool itself never uses them.
#include <cstdint>

extern "C" {

int32_t cfg_time = 0;
int32_t esm_fips_state_t = 0;
int32_t eFICU_IPC_TIME_STATS = 0;
int32_t ep_auth_e = 0;
int32_t eFICU_API_TIME_STATS = 0;
int32_t ep_mgmt_e = 0;
int32_t esm_fips_test_t = 0;
int32_t esm_scn_evt_e = 0;
unsigned char sa_td[32] = {};

void esm_trace(void) {}

}  // extern "C"
