# Each bundled sample session must be what z2o-make-session writes from the description beside it.
# Usage: cmake -DMAKE_SESSION=PROGRAM -DSAMPLES=FOLDER -DOUT=SCRATCH-FILE -P check_samples.cmake
file(GLOB_RECURSE descriptions "${SAMPLES}/*.txt")
foreach(description IN LISTS descriptions)
  string(REGEX REPLACE "\\.txt$" ".ZS2" session "${description}")
  execute_process(COMMAND "${MAKE_SESSION}" "${description}" "${OUT}" RESULT_VARIABLE failed)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}" "${session}"
                  RESULT_VARIABLE differs)
  if(failed OR differs)
    message(SEND_ERROR "${session} is stale: rebuild it with z2o-make-session")
  endif()
endforeach()

# --help is an answer on standard output; anything else but two files is bad usage.
execute_process(COMMAND "${MAKE_SESSION}" --help RESULT_VARIABLE help OUTPUT_VARIABLE usage)
execute_process(COMMAND "${MAKE_SESSION}" RESULT_VARIABLE bare OUTPUT_QUIET ERROR_QUIET)
if(NOT help EQUAL 0 OR NOT usage MATCHES "^usage: z2o-make-session " OR NOT bare EQUAL 2)
  message(SEND_ERROR "z2o-make-session --help gave ${help}, no arguments gave ${bare}")
endif()
