# Brush patterns checked against the independent Python implementation through
# the command line's --dump (host builds only: the check runs the built tool).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME paint.brush_reference
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/reference/brush_reference.py
                     $<TARGET_FILE:sylvane-cli>)
    set_tests_properties(paint.brush_reference PROPERTIES TIMEOUT 300)
  endif()
endif()
