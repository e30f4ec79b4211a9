# Cross-build for 32-bit Windows with mingw-w64 (i686), tests run under Wine:
#   cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KESTREL_MINGW_TRIPLET i686-w64-mingw32)

# Debian ships the compiler in two thread models. The "posix" one has the
# complete C++ thread library (std::mutex, std::thread); the default "win32"
# one of GCC 12 lacks it. Prefer posix; -static links winpthread in.
find_program(KESTREL_MINGW_CXX NAMES ${KESTREL_MINGW_TRIPLET}-g++-posix ${KESTREL_MINGW_TRIPLET}-g++ REQUIRED)
find_program(KESTREL_MINGW_CC NAMES ${KESTREL_MINGW_TRIPLET}-gcc-posix ${KESTREL_MINGW_TRIPLET}-gcc REQUIRED)
set(CMAKE_CXX_COMPILER ${KESTREL_MINGW_CXX})
set(CMAKE_C_COMPILER ${KESTREL_MINGW_CC})
set(CMAKE_RC_COMPILER ${KESTREL_MINGW_TRIPLET}-windres)

# Libraries and headers come from the cross sysroot only; programs (code
# generators, the emulator) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${KESTREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and add_test() commands run the executables through Wine.
find_program(KESTREL_WINE NAMES wine)
if(KESTREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTREL_WINE})
endif()

# GCC 12 at -O3 (Release) reports -Wrestrict inside std::string's operator+
# where nothing overlaps (GCC bug 105329); the warning is noise here.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
