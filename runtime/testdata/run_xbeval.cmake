# Runs xbeval on INPUT and compares its output with EXPECTED byte for byte.
# The emulator (wine-run and its arguments) comes with '|' between its words.
# With WORKDIR, xbeval runs in that folder, emptied first. With FIXTURES as well, the
# reference folders named in REFERENCE ('|' between them) are copied there to ref/, and
# their tables and memos alone to new/; each file of SAME ('|' between them, relative to
# both) must then be the same in new/ as in ref/.
string(REPLACE "|" ";" emulator "${EMULATOR}")
set(workdir ${CMAKE_CURRENT_BINARY_DIR})
if(WORKDIR)
  set(workdir ${WORKDIR})
  file(REMOVE_RECURSE ${workdir})
  file(MAKE_DIRECTORY ${workdir})
endif()
if(FIXTURES)
  string(REPLACE "|" ";" folders "${REFERENCE}")
  foreach(folder ${folders})
    file(COPY ${FIXTURES}/${folder} DESTINATION ${workdir}/ref
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(GLOB tables ${FIXTURES}/${folder}/*.dbf ${FIXTURES}/${folder}/*.fpt ${FIXTURES}/${folder}/*.dbt)
    file(COPY ${tables} DESTINATION ${workdir}/new/${folder}
         FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endforeach()
endif()
execute_process(COMMAND ${emulator} ${XBEVAL} ${INPUT} WORKING_DIRECTORY ${workdir}
                OUTPUT_VARIABLE out RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "xbeval failed (${rc})")
endif()
file(READ ${EXPECTED} expected)
if(NOT out STREQUAL expected)
  file(WRITE ${workdir}/xbeval.out "${out}")
  message(FATAL_ERROR "xbeval output differs (written to ${workdir}/xbeval.out):\n${out}\nexpected:\n${expected}")
endif()
string(REPLACE "|" ";" same "${SAME}")
foreach(f ${same})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${workdir}/new/${f} ${workdir}/ref/${f} RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${f} built through xbeval differs from the reference file")
  endif()
endforeach()
