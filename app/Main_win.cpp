// The Windows entry point; everything else lives in Startup_win.cpp.
#include "app/Startup_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return quorvel::RunProgram(instance); }
