#include "run_repair.h"

// The tail arrives exactly as Windows hands it over: no splitting, no unquoting.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandTail, int) {
    return RunRepair(instance, commandTail);
}
