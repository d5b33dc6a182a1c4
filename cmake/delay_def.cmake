# Writes a module-definition file listing every function an import library exports, so that
# dlltool can build a delay-load import library for the same DLL.
# In: NM, IMPLIB (lib<name>.a), DLL (<name>.dll), DEF (output path).
execute_process(COMMAND ${NM} --defined-only ${IMPLIB} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${IMPLIB}")
endif()
string(REGEX MATCHALL " I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
set(names "")
foreach(entry ${imports})
  string(REPLACE " I __imp_" "" name "${entry}")
  list(APPEND names "${name}")
endforeach()
list(REMOVE_DUPLICATES names)
if(NOT names)
  message(FATAL_ERROR "no exports found in ${IMPLIB}")
endif()
list(JOIN names "\n  " lines)
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n  ${lines}\n")
