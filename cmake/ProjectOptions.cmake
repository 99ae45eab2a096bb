# Compiler settings for the project's own targets (not for its dependencies).

# Strict warnings, and Russian string literals stored in code page 1251, as
# the desk and the exchange protocol hold them in memory. Clang cannot
# re-encode literals; its builds (the fuzzers) only need bytes, not letters.
function(kb_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fexec-charset=CP1251)
  endif()
  if(MINGW)
    target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()

# A target whose literals stay UTF-8 (the demo exchange speaks UTF-8).
function(kb_utf8_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(MINGW)
    target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=1 WIN32_LEAN_AND_MEAN NOMINMAX)
  endif()
endfunction()
