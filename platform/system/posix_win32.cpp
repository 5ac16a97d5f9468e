// setenv, unsetenv and mkdtemp over the C runtime's wide-character calls.
#include "platform/system/posix_win32.h"

#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

std::wstring wide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, w.data(), n);
    return w;
}

}  // namespace

int setenv(const char* name, const char* value, int overwrite) {
    if (!name || !*name || std::strchr(name, '=') || !value) {
        errno = EINVAL;
        return -1;
    }
    if (!overwrite && std::getenv(name)) return 0;
    // The C runtime's copy (getenv) and the process's (SDL_getenv reads GetEnvironmentVariable).
    if (_putenv_s(name, value) != 0) return -1;
    SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
    return 0;
}

int unsetenv(const char* name) {
    if (!name || !*name || std::strchr(name, '=')) {
        errno = EINVAL;
        return -1;
    }
    _putenv_s(name, "");
    SetEnvironmentVariableW(wide(name).c_str(), nullptr);
    return 0;
}

char* mkdtemp(char* templ) {
    const size_t n = templ ? std::strlen(templ) : 0;
    if (n < 6 || std::strcmp(templ + n - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 pick(seed() ^ GetCurrentProcessId());
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (size_t i = n - 6; i < n; ++i) templ[i] = kLetters[pick() % (sizeof kLetters - 1)];
        if (CreateDirectoryW(wide(templ).c_str(), nullptr)) return templ;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    errno = EEXIST;
    return nullptr;
}
