# Delay-loaded system libraries for the Windows program. A DLL the program
# imports is loaded, and its start-up code run, before WinMain: under Wine the
# common controls alone take about 17 ms of a 50 ms process start. Linked
# through a delay-import library instead, a DLL is loaded at the first call
# into it (the toolchain's __delayLoadHelper2 resolves every function then).
#
# sylvane_delay_load(<target> <name> <dll> ...) links <target> against such a
# library for each <name> (the toolchain's lib<name>.a) and its <dll>. The
# libraries are made at configure time from the toolchain's import libraries:
# a module-definition file listing every function that lib<name>.a imports,
# turned into lib<name>_delay.a by dlltool.
# CMake finds the toolchain's nm and dlltool beside its compiler.
if(NOT CMAKE_NM OR NOT CMAKE_DLLTOOL)
  message(FATAL_ERROR "delay-load: the toolchain's nm and dlltool were not found")
endif()

function(sylvane_delay_import_library name dll out_var)
  set(folder ${CMAKE_BINARY_DIR}/delay-import)
  set(library ${folder}/lib${name}_delay.a)
  if(NOT EXISTS ${library})
    execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${name}.a
                    OUTPUT_VARIABLE import_library OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS ${import_library})
      message(FATAL_ERROR "delay-load: no import library lib${name}.a in the toolchain")
    endif()
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_library}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE nm_result)
    if(NOT nm_result EQUAL 0)
      message(FATAL_ERROR "delay-load: cannot list the symbols of ${import_library}")
    endif()
    # Import libraries define __imp_<function> (type I) for every function.
    string(REGEX MATCHALL "[ \t]I __imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
    list(TRANSFORM imports REPLACE "^[ \t]I __imp_" "")
    list(REMOVE_DUPLICATES imports)
    list(LENGTH imports count)
    if(count EQUAL 0)
      message(FATAL_ERROR "delay-load: ${import_library} imports no functions")
    endif()
    list(JOIN imports "\n" exports)
    file(MAKE_DIRECTORY ${folder})
    file(WRITE ${folder}/${name}.def "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${name}.def --dllname ${dll}
                            --output-delaylib ${library}
                    RESULT_VARIABLE dlltool_result)
    if(NOT dlltool_result EQUAL 0)
      message(FATAL_ERROR "delay-load: dlltool could not make ${library}")
    endif()
  endif()
  set(${out_var} ${library} PARENT_SCOPE)
endfunction()

function(sylvane_delay_load target)
  set(pairs ${ARGN})
  while(pairs)
    list(POP_FRONT pairs name dll)
    sylvane_delay_import_library(${name} ${dll} library)
    target_link_libraries(${target} PRIVATE ${library})
  endwhile()
endfunction()
