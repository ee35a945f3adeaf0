// A library that nothing of the system provides, laid beside the tests as
// one planted beside the program would be.

#include <windows.h>

extern "C" __declspec(dllexport) int PlantedLibraryMarker() { return 42; }
