// The function of the callee test module (callee_dll.cpp).
#pragma once

extern "C" __declspec(dllimport) int CalleeTimesThree(int x);
