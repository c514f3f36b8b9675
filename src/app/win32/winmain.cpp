// Program entry: one copy at a time; a second start wakes the first and ends.
#include <windows.h>
#include <objbase.h>

#include "app/win32/program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qc::RunProgram(); }
