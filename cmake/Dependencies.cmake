# zlib, minizip and GoogleTest for both builds.
# minizip is compiled from the sources that scripts/bootstrap.sh fetched into build/deps,
# so the Windows and the host build read archives through the same code.
set(MINIZIP_SOURCE_DIR "${CMAKE_SOURCE_DIR}/build/deps/minizip" CACHE PATH "minizip sources")
if(NOT EXISTS "${MINIZIP_SOURCE_DIR}/unzip.c")
  message(FATAL_ERROR "minizip sources missing in ${MINIZIP_SOURCE_DIR}: run scripts/bootstrap.sh")
endif()

if(WIN32)
  # setup.exe may import system DLLs only: zlib goes into the executables.
  set(ZLIB_USE_STATIC_LIBS ON)
endif()
find_package(ZLIB REQUIRED)

add_library(minizip STATIC
  ${MINIZIP_SOURCE_DIR}/ioapi.c
  ${MINIZIP_SOURCE_DIR}/unzip.c
  ${MINIZIP_SOURCE_DIR}/zip.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_SOURCE_DIR})
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)

set_target_properties(minizip PROPERTIES C_STANDARD 99 POSITION_INDEPENDENT_CODE ON)
target_compile_options(minizip PRIVATE -w)

if(ORVANTA_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main)
    target_compile_options(${t} PRIVATE -w)
  endforeach()
endif()
