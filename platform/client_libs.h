// Start-up of the platform client libraries.
#pragma once

extern "C" {

int ficulibInit(void);
int nslibInit(void);
int esslibInit(void);
int zonelibInit(void);
// The three arguments identify the caller: function, source module, source line.
int ns_condb_attach_impl(const char* function, const char* module, int line);

}  // extern "C"
