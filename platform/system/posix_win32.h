// The few POSIX calls the tools and tests use, on Windows (included into every file of the
// Windows build by the build itself). Paths are UTF-8.
#pragma once
#ifdef __cplusplus
#include <cstddef>
// Sets (overwrite != 0, or when unset) or removes a variable of this process's environment.
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);
// Replaces the trailing "XXXXXX" of templ and makes that folder; templ, or null with errno set.
char* mkdtemp(char* templ);
#endif
