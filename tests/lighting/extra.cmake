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

# The render command's real-sun options are tested in-process.
target_sources(test_lighting PRIVATE
  ${CMAKE_SOURCE_DIR}/cli/cmd_render.cpp ${CMAKE_SOURCE_DIR}/cli/render_input.cpp
  ${CMAKE_SOURCE_DIR}/cli/cmd_new.cpp ${CMAKE_SOURCE_DIR}/cli/command.cpp
  ${CMAKE_SOURCE_DIR}/cli/garden_io.cpp ${CMAKE_SOURCE_DIR}/cli/garden_output.cpp)
target_link_libraries(test_lighting PRIVATE nlohmann_json::nlohmann_json)
