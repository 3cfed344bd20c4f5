# VDR's data-access layer and shared settings: program folders and settings, table access,
# record helpers, currencies and display masks. Portable: it reaches the windows only through
# its DataUi interface.
add_library(vdr_app_data STATIC
  currency.cpp
  currency_functions.cpp
  data_functions.cpp
  data_ui.cpp
  display_masks.cpp
  program_folder.cpp
  program_settings.cpp
  record_helpers.cpp
  sde_index.cpp
  table_access.cpp
  value_text.cpp)
target_include_directories(vdr_app_data PUBLIC ${VDR_ROOT})
target_link_libraries(vdr_app_data PUBLIC vdr_rdd)

vdr_add_test(app_data_tests
  SOURCES
    currency_functions_test.cpp
    data_test_support.cpp
    display_masks_test.cpp
    program_settings_test.cpp
    record_helpers_test.cpp
    table_access_test.cpp
  LIBS vdr_app_data)

if(WIN32)
  # The layer's Windows side: its messages and questions as the framework's dialogs, and the
  # directory functions bound to the kernel at each call.
  add_library(vdr_app_data_win STATIC
    win/data_dialogs.cpp
    win/directory_functions.cpp
    win/windowed_data_ui.cpp)
  target_link_libraries(vdr_app_data_win PUBLIC vdr_app_data vdr_ui_core kernel32)

  vdr_add_test(app_data_win_tests WINDOW
    SOURCES
      win/directory_functions_test.cpp
      win/windowed_data_ui_test.cpp
      ${VDR_ROOT}/runtime/rdd/test_process.cpp
      ${VDR_ROOT}/runtime/rdd/test_support.cpp
    LIBS vdr_app_data_win vdr_wintest)
  add_dependencies(app_data_win_tests VDRE rdd_test_helper)
  # Another process holding a table or a record: the table engine's test helper.
  target_compile_definitions(app_data_win_tests PRIVATE VDR_RDD_HELPER="Z:$<TARGET_FILE:rdd_test_helper>"
    VDR_FIXTURES_DIR="")
endif()
