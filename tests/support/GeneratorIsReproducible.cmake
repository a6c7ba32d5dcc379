# Runs a build-time generator again and requires the same bytes as the files the build made.
# Arguments: -DGENERATOR=<program> -DBUILT_DIR=<where the build wrote them>
#            -DWORK_DIR=<scratch dir> -DMINIMUM_FILES=<how many it writes at least>
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${GENERATOR} ${WORK_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${GENERATOR} failed: ${result}")
endif()
file(GLOB outputs RELATIVE ${WORK_DIR} ${WORK_DIR}/*)
list(LENGTH outputs count)
if(count LESS ${MINIMUM_FILES})
  message(FATAL_ERROR "${GENERATOR} wrote only ${count} files")
endif()
foreach(output ${outputs})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${output}
                          ${BUILT_DIR}/${output} RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    message(FATAL_ERROR "${output} differs between two runs of ${GENERATOR}")
  endif()
endforeach()
