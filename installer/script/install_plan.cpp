#include "script/install_plan.h"

InstallPlan& TheInstallPlan()
{
    static InstallPlan plan;
    return plan;
}

void ResetInstallPlan() { TheInstallPlan() = InstallPlan{}; }
