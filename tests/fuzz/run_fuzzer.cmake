# Runs a fuzz target for SECONDS from a fresh copy of the committed seeds, so
# the run never writes into the source tree; fails on any finding.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${WORK}/corpus)
# A dictionary beside the seeds (corpus/NAME.dict) gives the format's words.
set(dictionary "")
if(EXISTS ${SEEDS}.dict)
  set(dictionary -dict=${SEEDS}.dict)
endif()
execute_process(COMMAND ${FUZZER} ${dictionary} -max_total_time=${SECONDS} -print_final_stats=1
                        -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
                RESULT_VARIABLE result)
file(GLOB corpus ${WORK}/corpus/*)
list(LENGTH corpus corpusSize)
message(STATUS "corpus after the run: ${corpusSize} files")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "fuzzer exited with ${result}; inputs kept in ${WORK}/artifacts")
endif()
