// Stands in for powrprof at link time: Wine's own power-scheme calls neither
// report nor change an active scheme, so the tests keep it here. Wine's
// power requests do nothing either; they are kept here too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fake_power {

inline constexpr GUID kPowerSaver = {
    0xa1841308, 0x3541, 0x4fab, {0xbc, 0x81, 0xf7, 0x15, 0x56, 0xf2, 0x0b, 0x4a}};
inline constexpr GUID kBalanced = {
    0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
inline constexpr GUID kHighPerformance = {
    0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};
// A scheme the user made.
inline constexpr GUID kUserScheme = {
    0x12345678, 0x9abc, 0x4def, {0x80, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};

// Sets the active scheme and forgets earlier activations.
void reset(const GUID& active);

// Makes PowerGetActiveScheme fail as Wine's does.
void setReadFails(bool fails);

GUID active();
int activations();

// Power requests, replaced through their import slots: each one made, with
// what was asked of it.
struct PowerRequest {
    ULONG version = 0;
    DWORD flags = 0;
    std::wstring reason;
    bool systemSet = false;
    bool displaySet = false;
    int systemClears = 0;
    int displayClears = 0;
    bool closed = false;
};

// Forgets earlier requests; makes creating or setting a request fail.
void resetRequests(bool createFails = false, bool setFails = false);
const std::vector<PowerRequest>& requests();
// Requests made and not closed.
int openRequests();

} // namespace fake_power
