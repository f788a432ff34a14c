# The layering check on a small tree of its own whose sheet folder has files that include
# each other in a circle of three: it must fail and name the circle.
#   cmake -DCHECK=<layering.cmake> -DWORK=<empty folder> -P tests/layering_circle.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/core/base.h" "#pragma once\n")
file(WRITE "${WORK}/sheet/a.h" "#include \"sheet/b.h\"\n#include \"core/base.h\"\n")
file(WRITE "${WORK}/sheet/b.h" "#include \"sheet/c.h\"\n")
file(WRITE "${WORK}/sheet/c.h" "#include \"sheet/a.h\"\n")
file(WRITE "${WORK}/sheet/d.h" "#include \"sheet/a.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK}
  RESULT_VARIABLE result ERROR_VARIABLE said OUTPUT_VARIABLE said_too)
file(REMOVE_RECURSE "${WORK}")
if(result EQUAL 0 OR NOT said MATCHES "sheet/a -> sheet/b -> sheet/c -> sheet/a")
  message(FATAL_ERROR "the circle of three went unnoticed: ${said}${said_too}")
endif()
