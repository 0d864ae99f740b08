// Role-based access control.
#pragma once

extern "C" {

int rbac_init(int mode);
const char* geps_app_name(void);
int set_chassis_context(const char* command, const char* word, int count, char** argv);
int rbac_cli_opt_check(const char* command, const char* option);
int rbac_context_type_handler(const char* command, const char* option);
int rbac_close(void);

}  // extern "C"
