#include "key_press.h"

#include <vector>

void CALLBACK simulatePressProc(HWND, UINT, UINT_PTR, DWORD) {
    const std::vector<WORD> keys = {VK_RCONTROL};
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        if (GetAsyncKeyState(key) & 0x8000) {
            INPUT input = {};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.dwFlags = KEYEVENTF_KEYUP;
            inputs.push_back(input);
        }
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.empty() ? nullptr : inputs.data(),
              sizeof(INPUT));
}
