// The request that hasyncstart and hasyncstop pass to the HA state machine.
#pragma once

#include "platform/hasm.h"

namespace haadm {

// head[:tail] split at the first colon, each part cut to 15 characters; all zero when
// there is no argument.
SyncRequest make_sync_request(const char* argument);

}  // namespace haadm
