# GoogleTest from Debian's source package, built with the project's own compiler.
enable_testing()
set(VDR_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VDR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

if(WIN32)
  # Keeps the Wine desktop of a test run alive from its start to its end (wine-env start).
  add_executable(desktopkeeper ${VDR_ROOT}/tests/support/desktop_keeper.cpp)
  target_link_libraries(desktopkeeper PRIVATE user32)

  # One Xvfb, one wineserver and one desktop for the whole test run, started first and stopped
  # last.
  add_test(NAME wine_env_start COMMAND ${VDR_ROOT}/tools/wine-env start ${VDR_WINE_DIR} $<TARGET_FILE:desktopkeeper>)
  add_test(NAME wine_env_stop COMMAND ${VDR_ROOT}/tools/wine-env stop ${VDR_WINE_DIR})
  set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine_env)
  set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine_env)
endif()

# vdr_add_test(<name> SOURCES ... [LIBS ...] [WINDOW] [PRINTER])
# One test program; under Wine it needs the shared environment. WINDOW marks programs that
# create windows on the display: they run one at a time so focus and activation stay theirs.
# PRINTER programs print on the test printer (standins/testprinter), one at a time.
function(vdr_add_test name)
  cmake_parse_arguments(T "WINDOW;PRINTER" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_env
      ENVIRONMENT "VDR_SCREENSHOTS=${CMAKE_BINARY_DIR}/screenshots")
    add_dependencies(${name} desktopkeeper)
    if(T_PRINTER)
      set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine_env;test_printer"
        RESOURCE_LOCK "wine_display;printer")
      add_dependencies(${name} testprinter)
    elseif(T_WINDOW)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK wine_display)
    endif()
  endif()
endfunction()

# Layers point down: no file includes a layer above its own. Run once, in the native build.
if(NOT WIN32)
  add_test(NAME include_layers COMMAND ${VDR_ROOT}/tools/check-layers ${VDR_ROOT})
  add_test(NAME include_layers_self_test COMMAND ${VDR_ROOT}/tools/check-layers --self-test)
endif()
