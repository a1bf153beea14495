#include "driver/install_state.h"

InstallState& TheInstallState()
{
    static InstallState state;
    return state;
}
