// Asks for a measured processor speed without waiting for it, lets the
// object go and ends the process while the worker is still measuring.
// Exit code 0 when that went as it should.
#include "system/win32/cpu.h"

int main() {
    unsigned int mhz = 0;
    {
        REDudi::CPU cpu(HKEY_CURRENT_USER, "Software\\REDudiTests\\no_such_key");
        mhz = cpu.GetSpeed(0, false);
    }
    if (mhz != REDudi::CPU::kNoSpeed)
        return 2;
    return REDudi::CPU::RunningWorkers() == 1 ? 0 : 3;
}
