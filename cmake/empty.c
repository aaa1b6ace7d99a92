/* The shared library is made of the engine's static library; this unit only gives CMake a source. */
typedef int ravelin_shared_library_unit;
