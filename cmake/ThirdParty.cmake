# Third-party code, built for the mingw target from the sources that
# scripts/setup.sh fetched from Debian's source packages. Nothing of it is committed.

if(NOT EXISTS "${THIRD_PARTY_DIR}/tinyxml2/tinyxml2.cpp")
  message(FATAL_ERROR "Third-party sources missing in ${THIRD_PARTY_DIR}: run scripts/setup.sh")
endif()

add_library(tinyxml2 STATIC "${THIRD_PARTY_DIR}/tinyxml2/tinyxml2.cpp")
target_include_directories(tinyxml2 SYSTEM PUBLIC "${THIRD_PARTY_DIR}/tinyxml2")

if(NOT EXISTS "${THIRD_PARTY_DIR}/sqlite-recover/sqlite3recover.c")
  message(FATAL_ERROR "SQLite's recovery extension missing in ${THIRD_PARTY_DIR}: run scripts/setup.sh")
endif()
# The recovery extension reads a damaged file page by page through the
# page virtual table, which the amalgamation leaves out unless asked.
add_library(sqlite3 STATIC "${THIRD_PARTY_DIR}/sqlite/sqlite3.c"
  "${THIRD_PARTY_DIR}/sqlite-recover/sqlite3recover.c" "${THIRD_PARTY_DIR}/sqlite-recover/dbdata.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${THIRD_PARTY_DIR}/sqlite" "${THIRD_PARTY_DIR}/sqlite-recover")
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_DEFAULT_FOREIGN_KEYS=1 SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_ENABLE_DBPAGE_VTAB)
target_compile_options(sqlite3 PRIVATE -w)

# Header-only JSON reader from Debian's nlohmann-json3-dev, usable by the mingw compiler.
add_library(nlohmann_json INTERFACE)
# Copied out of /usr/include by the setup script, so that no host header is on the path.
target_include_directories(nlohmann_json SYSTEM INTERFACE "${THIRD_PARTY_DIR}/nlohmann_json/include")

# Header-only PNG and JPEG decoder and picture resampler from Debian's
# libstb-dev, copied likewise.
foreach(header stb_image.h stb_image_resize.h)
  if(NOT EXISTS "${THIRD_PARTY_DIR}/stb/${header}")
    message(FATAL_ERROR "${header} missing in ${THIRD_PARTY_DIR}/stb: run scripts/setup.sh")
  endif()
endforeach()
add_library(stb_image INTERFACE)
target_include_directories(stb_image SYSTEM INTERFACE "${THIRD_PARTY_DIR}/stb")

if(CORVANEL_BUILD_TESTS OR NOT DEFINED CORVANEL_BUILD_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory("${THIRD_PARTY_DIR}/googletest" "${CMAKE_BINARY_DIR}/third_party/googletest" EXCLUDE_FROM_ALL)
endif()
