# One growth pass of the sample tree checked against the independent Python
# implementation through the command line's --layers (host builds only: the
# check runs the built tool).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME trees.growth_reference
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/reference/growth_reference.py
                     $<TARGET_FILE:sylvane-cli> ${CMAKE_SOURCE_DIR}/data)
    set_tests_properties(trees.growth_reference PROPERTIES TIMEOUT 300)
  endif()
endif()

# The garden commands: same seed same garden, the report, refused arguments.
if(NOT CMAKE_CROSSCOMPILING AND Python3_Interpreter_FOUND)
  add_test(NAME trees.garden_cli
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/trees/garden_cli_check.py
                   $<TARGET_FILE:sylvane-cli> ${CMAKE_SOURCE_DIR}/data)
  set_tests_properties(trees.garden_cli PROPERTIES TIMEOUT 300)
endif()

# The breed command: same seed same children, child file names, the report.
if(NOT CMAKE_CROSSCOMPILING AND Python3_Interpreter_FOUND)
  add_test(NAME trees.breed_cli
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/trees/breed_cli_check.py
                   $<TARGET_FILE:sylvane-cli> ${CMAKE_SOURCE_DIR})
  set_tests_properties(trees.breed_cli PROPERTIES TIMEOUT 300)
endif()
