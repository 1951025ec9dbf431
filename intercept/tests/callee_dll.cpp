// A module with a function of its own, imported by the tests through their
// import address table.
extern "C" __declspec(dllexport) int CalleeTimesThree(int x) { return 3 * x; }
