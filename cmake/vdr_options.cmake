# Compiler and linker settings shared by every target.
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Sources are UTF-8; the system's strings live in Windows-1252, as the tables and Windows
# (ANSI calls) hold them, so narrow literals are stored in that code page.
# (clang, used only for fuzzing, knows no other execution character set.)
add_compile_options($<$<COMPILE_LANG_AND_ID:C,GNU>:-finput-charset=UTF-8>
                    $<$<COMPILE_LANG_AND_ID:C,GNU>:-fexec-charset=CP1252>
                    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-finput-charset=UTF-8>
                    $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-fexec-charset=CP1252>)

if(WIN32)
  # 32-bit Windows builds only the document-container library.
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    set(VDR_CONTENDA_ONLY ON)
  endif()
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # The C and C++ runtimes and winpthread are linked in: no DLL ships but ours.
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -static")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -static")
  # Sections lie in the file at page boundaries, as in memory: the loader maps the image
  # instead of reading it whole into fresh memory (Vdr.exe's 16 MB cost ~25 ms a start
  # under Wine).
  string(APPEND CMAKE_EXE_LINKER_FLAGS " -Wl,--file-alignment,0x1000")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,--file-alignment,0x1000")
  # Optimised builds ship without symbols.
  string(APPEND CMAKE_EXE_LINKER_FLAGS_RELEASE " -s")
  string(APPEND CMAKE_SHARED_LINKER_FLAGS_RELEASE " -s")
  include(${CMAKE_CURRENT_LIST_DIR}/vdr_delay_imports.cmake)
  # Wine runs cross-built programs; its prefix and display live in the build tree.
  set(VDR_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VDR_ROOT}/tools/wine-run --dir ${VDR_WINE_DIR})
else()
  option(VDR_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
  # `make fuzz`: clang with libFuzzer coverage on everything, the fuzzer's main on its targets.
  option(VDR_FUZZ "Build the fuzz targets with clang and libFuzzer" OFF)
  if(VDR_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  if(VDR_SANITIZE AND CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()
