# The layering check on a small tree of its own where the shared folder, the window and the
# batch each include what they must not: it must fail and name all three, and not main,
# which may include both.
#   cmake -DCHECK=<layering.cmake> -DWORK=<empty folder> -P tests/layering_rooms.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${WORK}/core/base.h" "#pragma once\n")
file(WRITE "${WORK}/app/shared.h" "#include \"core/base.h\"\n#include \"window/form.h\"\n")
file(WRITE "${WORK}/window/form.h" "#include \"app/shared.h\"\n#include \"batch/run.h\"\n")
file(WRITE "${WORK}/batch/run.h" "#include \"app/shared.h\"\n#include \"window/form.h\"\n")
file(WRITE "${WORK}/main/main.cpp" "#include \"batch/run.h\"\n#include \"window/form.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${WORK} -P ${CHECK}
  RESULT_VARIABLE result ERROR_VARIABLE said OUTPUT_VARIABLE said_too)
file(REMOVE_RECURSE "${WORK}")
if(result EQUAL 0)
  message(FATAL_ERROR "the rooms' includes went unnoticed: ${said}${said_too}")
endif()
foreach(fault "app/shared.h: #include \"window/form.h\"" "window/form.h: #include \"batch/run.h\""
    "batch/run.h: #include \"window/form.h\"")
  string(FIND "${said}" "${fault}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "not named: ${fault}\n${said}")
  endif()
endforeach()
foreach(allowed "app/shared.h: #include \"core" "window/form.h: #include \"app" "batch/run.h: #include \"app" "main/main.cpp")
  string(FIND "${said}" "${allowed}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "refused what may be: ${allowed}\n${said}")
  endif()
endforeach()
