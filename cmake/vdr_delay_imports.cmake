# System DLLs that only some dialogs need (the common dialogs, printers, the shell's drag and
# drop and folder browser, COM memory) are loaded at their first call instead of before the
# program starts: under Wine each one loaded at start costs every start-up 1 to 20 ms.
#
# vdr_delay_import(VAR name dll): VAR names what to link for the system library `name`, a
# delay-load import library made from mingw's own import library where the toolchain can,
# the plain library elsewhere.
function(vdr_delay_import var name dll)
  set(${var} ${name} PARENT_SCOPE)
  if(NOT WIN32 OR NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    return()
  endif()
  find_library(VDR_IMPORT_${name} NAMES ${name} NO_CACHE)
  find_program(VDR_NM NAMES ${VDR_MINGW_PREFIX}-nm)
  find_program(VDR_DLLTOOL NAMES ${VDR_MINGW_PREFIX}-dlltool)
  if(NOT VDR_IMPORT_${name} OR NOT VDR_NM OR NOT VDR_DLLTOOL)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delay_imports)
  set(def ${dir}/${name}.def)
  set(lib ${dir}/lib${name}_delay.a)
  if(NOT EXISTS ${lib} OR ${VDR_IMPORT_${name}} IS_NEWER_THAN ${lib})
    file(MAKE_DIRECTORY ${dir})
    # Every function the import library names, under the same DLL.
    execute_process(COMMAND ${VDR_NM} ${VDR_IMPORT_${name}} OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_failed)
    string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE " I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(JOIN imports "\n" exports)
    file(WRITE ${def} "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${VDR_DLLTOOL} --input-def ${def} --output-delaylib ${lib} RESULT_VARIABLE dlltool_failed)
    if(nm_failed OR dlltool_failed OR NOT imports)
      file(REMOVE ${lib})
      return()
    endif()
  endif()
  set(${var} ${lib} PARENT_SCOPE)
endfunction()

vdr_delay_import(VDR_COMDLG32 comdlg32 comdlg32.dll)
vdr_delay_import(VDR_WINSPOOL winspool winspool.drv)
vdr_delay_import(VDR_SHELL32 shell32 shell32.dll)
vdr_delay_import(VDR_OLE32 ole32 ole32.dll)
