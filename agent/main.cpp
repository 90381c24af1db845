// VigilorTaskbar: the PC-Vigilor tray agent.
#include "agent.h"

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    if (!initInstance(instance)) {
        return 0;
    }
    return runMessageLoop();
}
