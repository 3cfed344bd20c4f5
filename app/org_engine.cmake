# The organisation engine: the index catalogue and the structures of the tables, the demo data,
# one company's organisation without its dialog (pack and tags, recomputations, statistics),
# the loop over the marked companies and the error table. Portable: built natively too.
add_library(vdr_app_org STATIC
  company_loop.cpp
  company_table.cpp
  demo_data.cpp
  demo_users.cpp
  demo_text.cpp
  error_table.cpp
  index_catalogue.cpp
  index_data.cpp
  org_environment.cpp
  organisation_state.cpp
  organise.cpp
  org_summary.cpp
  org_table.cpp
  recompute_support.cpp
  reporting_events.cpp
  risk_recompute.cpp
  statistics.cpp
  stock_recompute.cpp
  table_schemas.cpp)
target_include_directories(vdr_app_org PUBLIC ${VDR_ROOT})
target_link_libraries(vdr_app_org PUBLIC vdr_app_data)

# vdr_demodata: the demo data tree (see demo_data_main.cpp).
add_executable(vdr_demodata demo_data_main.cpp)
target_link_libraries(vdr_demodata PRIVATE vdr_app_org vdr_xbeval_lib)

# vdr_orgsummary: what an organisation did to a company, read back (see org_summary_main.cpp).
add_executable(vdr_orgsummary org_summary_main.cpp)
target_link_libraries(vdr_orgsummary PRIVATE vdr_app_org vdr_xbeval_lib)

vdr_add_test(app_org_tests
  SOURCES
    app_test_support.cpp
    company_loop_test.cpp
    company_table_test.cpp
    currency_test.cpp
    data_test_support.cpp
    flat_key_map_test.cpp
    index_catalogue_test.cpp
    index_data_test.cpp
    organise_test.cpp
    org_summary_test.cpp
    recompute_test.cpp
    statistics_test.cpp
  LIBS vdr_app_org)
add_subdirectory(bench)

if(WIN32)
  # The organisation's windows: the progress dialog (INDEXALL, LORGEMPR), the error list
  # (LDSPORG) and the organisation's public functions.
  add_library(vdr_app_org_win STATIC
    win/error_list.cpp
    win/organisation_functions.cpp
    win/progress_dialog.cpp)
  target_link_libraries(vdr_app_org_win PUBLIC vdr_app_org vdr_app_data_win vdr_ui_controls comctl32)

  # The organisation window (company browse, menu, bars, the incremental search) and its
  # public functions; needs the services (log-in, access map, the user's look).
  add_library(vdr_app_win STATIC
    win/company_search.cpp
    win/company_window.cpp
    win/vdr_program.cpp
    win/version_import.cpp)
  target_link_libraries(vdr_app_win PUBLIC vdr_app_org_win vdr_services)

  # Vdr.exe: the program itself. It runs from its folder beside the start folder ..\DBF.
  add_executable(Vdr WIN32 win/vdr_main.cpp)
  target_link_libraries(Vdr PRIVATE vdr_app_win)
  add_dependencies(Vdr VDRE)

  # The real program driven from outside, as its own process.
  vdr_add_test(vdr_program_tests WINDOW
    SOURCES
      app_test_support.cpp
      data_test_support.cpp
      win/program_driver.cpp
      win/vdr_program_test.cpp
      win/version_import_test.cpp
    LIBS vdr_app_win vdr_wintest)
  add_dependencies(vdr_program_tests Vdr VDRE)

  vdr_add_test(app_org_win_tests WINDOW
    SOURCES
      app_test_support.cpp
      win/progress_dialog_test.cpp
    LIBS vdr_app_org_win vdr_wintest)
  add_dependencies(app_org_win_tests VDRE)
endif()
