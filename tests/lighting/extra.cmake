# The lighting renderers checked against the independent Python implementation
# through the command line's render --layers (host builds only: the check runs
# the built tool), and a gallery run.
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME lighting.python_reference
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/reference/lighting_reference.py
                     $<TARGET_FILE:sylvane-cli> ${CMAKE_CURRENT_BINARY_DIR}/lighting_reference)
    set_tests_properties(lighting.python_reference PROPERTIES TIMEOUT 300)
    add_test(NAME lighting.cli_check
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/lighting/cli_check.py
                     $<TARGET_FILE:sylvane-cli> ${CMAKE_CURRENT_BINARY_DIR}/lighting_cli)
    set_tests_properties(lighting.cli_check PROPERTIES TIMEOUT 300)
  endif()
endif()
