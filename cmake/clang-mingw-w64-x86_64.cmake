# Cross build for 64-bit Windows with Clang, using Debian's mingw-w64 headers, libraries and
# binutils: the GCC toolchain's settings with Clang as the compiler.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${TARN_MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${TARN_MINGW_PREFIX})

# Clang looks for the MinGW GCC's C++ library under a plain version folder; Debian's is named
# 12-posix, so it is named here. -pthread: the posix variant's libgcc needs winpthread. LLVM's
# linker: GNU ld links the same objects but warns about every type-info section that Clang and
# GCC size differently.
file(GLOB TARN_MINGW_GCC_DIRS /usr/lib/gcc/${TARN_MINGW_PREFIX}/*-posix)
list(SORT TARN_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET TARN_MINGW_GCC_DIRS 0 TARN_MINGW_GCC_DIR)
if(NOT EXISTS ${TARN_MINGW_GCC_DIR}/include/c++)
  message(FATAL_ERROR "No mingw-w64 GCC (posix) C++ library under /usr/lib/gcc/${TARN_MINGW_PREFIX}: "
                      "install g++-mingw-w64-x86-64-posix")
endif()
set(TARN_MINGW_CXX_INCLUDE ${TARN_MINGW_GCC_DIR}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${TARN_MINGW_CXX_INCLUDE} -isystem ${TARN_MINGW_CXX_INCLUDE}/${TARN_MINGW_PREFIX} -isystem ${TARN_MINGW_CXX_INCLUDE}/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${TARN_MINGW_GCC_DIR} -pthread")
