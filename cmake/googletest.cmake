# GoogleTest: the installed package natively; compiled from the sources that
# the distribution ships (/usr/src/googletest) when cross-compiling, since
# no Windows build of it is installed.
if(CMAKE_CROSSCOMPILING)
  set(QUORVEL_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUORVEL_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
