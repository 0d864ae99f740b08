// Software watchdog.
#pragma once

extern "C" {

int swd_init(void);
int swd_enable(void);
int swd_disable(void);
int swd_suppress(void);
int swd_exit(void);
int config_swd_kickin(void);

}  // extern "C"
