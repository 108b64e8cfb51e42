# Runs COMMAND (a ;-list) and passes only if it exits non-zero and its
# error output contains MESSAGE.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE result ERROR_VARIABLE error)
if(result EQUAL 0)
  message(FATAL_ERROR "${COMMAND} succeeded; expected a failure")
endif()
string(FIND "${error}" "${MESSAGE}" found)
if(found EQUAL -1)
  message(FATAL_ERROR "${COMMAND} said \"${error}\"; expected \"${MESSAGE}\"")
endif()
