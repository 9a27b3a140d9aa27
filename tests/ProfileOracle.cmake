# Settings.ini is compared with the Windows profile functions as Wine runs them: a small Windows
# program (tools/profile-oracle) built with the MinGW-w64 cross compiler. Without the compiler or
# Wine the comparison reports itself skipped and says why.
find_program(MORVIK_MINGW_CXX x86_64-w64-mingw32-g++-posix)
find_program(MORVIK_WINE NAMES wine64 wine HINTS /usr/lib/wine)

set(oracle "")
set(oracle_missing "")
if(NOT MORVIK_MINGW_CXX)
  set(oracle_missing "no MinGW-w64 cross compiler x86_64-w64-mingw32-g++-posix (Debian package g++-mingw-w64-x86-64-posix, see scripts/install-deps)")
elseif(NOT MORVIK_WINE)
  set(oracle_missing "no Wine (Debian package wine64, see scripts/install-deps)")
else()
  set(oracle ${CMAKE_CURRENT_BINARY_DIR}/ProfileOracle.exe)
  set(oracle_source ${PROJECT_SOURCE_DIR}/tools/profile-oracle/ProfileOracle.cpp)
  add_custom_command(OUTPUT ${oracle}
    COMMAND ${MORVIK_MINGW_CXX} -std=c++17 -O2 -Wall -Wextra -static -o ${oracle} ${oracle_source}
    DEPENDS ${oracle_source}
    COMMENT "Building the profile oracle for Windows")
  add_custom_target(profile_oracle ALL DEPENDS ${oracle})
  add_dependencies(morvik_core_tests profile_oracle)
endif()
# Wine's first start in a new prefix takes a while; the prefix lives as long as the build.
set(wine_prefix ${CMAKE_CURRENT_BINARY_DIR}/wineprefix)

file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/ProfileOracle.h @ONLY CONTENT [[
#pragma once
// Written by CMake: where the profile oracle and Wine are, or why the comparison cannot run.
namespace morvik::test {
inline constexpr const char* kProfileOracle = "@oracle@";
inline constexpr const char* kWine = "@MORVIK_WINE@";
inline constexpr const char* kWinePrefix = "@wine_prefix@";
inline constexpr const char* kProfileOracleMissing = "@oracle_missing@";
}  // namespace morvik::test
]])
target_include_directories(morvik_core_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated
  ${PROJECT_SOURCE_DIR}/tools/profile-oracle)
