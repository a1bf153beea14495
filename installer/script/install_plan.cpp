#include "script/install_plan.h"

#include "driver/install_state.h"

InstallPlan& TheInstallPlan()
{
    static InstallPlan plan;
    return plan;
}

// The caption comes from the script like the plan, so it is blanked with it;
// installDir is not the plan's: only defdest and the directory page set it.
void ResetInstallPlan()
{
    TheInstallPlan() = InstallPlan{};
    TheInstallState().generalTitle.clear();
}
