# jsoncpp and GoogleTest. Natively jsoncpp is Debian's libjsoncpp-dev; the
# Windows build compiles Debian's libjsoncpp source package, which
# scripts/setup-debian unpacks into .deps/. GoogleTest is always built from
# /usr/src/googletest, so every configuration (sanitizers, Windows) gets its own.

if(WIN32)
  file(GLOB _kb_jsoncpp_dirs ${PROJECT_SOURCE_DIR}/.deps/libjsoncpp-*)
  list(GET _kb_jsoncpp_dirs 0 _kb_jsoncpp_default)
  set(KB_JSONCPP_SOURCE_DIR "${_kb_jsoncpp_default}" CACHE PATH "Unpacked libjsoncpp source package")
  if(NOT EXISTS "${KB_JSONCPP_SOURCE_DIR}/src/lib_json/json_reader.cpp")
    message(FATAL_ERROR "jsoncpp sources not found; run scripts/setup-debian")
  endif()
  add_library(kb_jsoncpp STATIC
    ${KB_JSONCPP_SOURCE_DIR}/src/lib_json/json_reader.cpp
    ${KB_JSONCPP_SOURCE_DIR}/src/lib_json/json_value.cpp
    ${KB_JSONCPP_SOURCE_DIR}/src/lib_json/json_writer.cpp)
  target_include_directories(kb_jsoncpp SYSTEM PUBLIC ${KB_JSONCPP_SOURCE_DIR}/include)
  add_library(kb::jsoncpp ALIAS kb_jsoncpp)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(JSONCPP REQUIRED IMPORTED_TARGET jsoncpp)
  add_library(kb::jsoncpp ALIAS PkgConfig::JSONCPP)
endif()

if(KB_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
