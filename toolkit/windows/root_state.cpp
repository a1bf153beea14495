#include "windows/root_state.h"

RootState& TheRootState()
{
    static RootState state;
    return state;
}
