// Single instance on Windows: the mutex lives in the session's namespace under the game's name,
// a later copy finds it and sets the first copy's raise event, and the first copy hears that
// once per request.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/system/instance.h"

namespace {

std::string unique_name() { return "poromina-test-" + std::to_string(GetCurrentProcessId()); }

std::wstring wide(const std::string& s, const wchar_t* suffix) {
    return L"Local\\" + std::wstring(s.begin(), s.end()) + suffix;
}

// A handle closed at scope end.
struct Handle {
    HANDLE h;
    explicit Handle(HANDLE handle) : h(handle) {}
    ~Handle() {
        if (h) CloseHandle(h);
    }
};

}  // namespace

TEST(WindowsInstance, TheFirstCopyHoldsTheSessionMutexAndHearsEachRaise) {
    const std::string name = unique_name();
    ASSERT_EQ(instance_acquire(name.c_str()), InstanceRole::First);
    {
        Handle other(CreateMutexW(nullptr, FALSE, wide(name, L"").c_str()));
        ASSERT_NE(other.h, nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "the mutex is Local\\" << name;
    }
    EXPECT_FALSE(instance_raise_requested());
    {
        Handle raise(OpenEventW(EVENT_MODIFY_STATE, FALSE, wide(name, L"-raise").c_str()));
        ASSERT_NE(raise.h, nullptr);
        SetEvent(raise.h);
    }
    EXPECT_TRUE(instance_raise_requested());
    EXPECT_FALSE(instance_raise_requested()) << "one request, one raise";
    instance_release();
    Handle again(CreateMutexW(nullptr, FALSE, wide(name, L"").c_str()));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "released";
}

TEST(WindowsInstance, ALaterCopyAsksTheFirstToComeForwardAndTakesNothing) {
    const std::string name = unique_name() + "-second";
    Handle first(CreateMutexW(nullptr, TRUE, wide(name, L"").c_str()));
    Handle raise(CreateEventW(nullptr, FALSE, FALSE, wide(name, L"-raise").c_str()));
    ASSERT_NE(first.h, nullptr);
    ASSERT_NE(raise.h, nullptr);
    EXPECT_EQ(instance_acquire(name.c_str()), InstanceRole::Second);
    EXPECT_EQ(WaitForSingleObject(raise.h, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "the first copy was asked";
    EXPECT_FALSE(instance_raise_requested()) << "a later copy listens for nobody";
    instance_release();
}
