# The garden commands of sylvane-cli are tested in-process: link their sources,
# the command table and the shared garden helpers into the test program.
target_sources(test_gardens PRIVATE
  ${CMAKE_SOURCE_DIR}/cli/cmd_new.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_plant.cpp
  ${CMAKE_SOURCE_DIR}/cli/cmd_grow.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_save_tree.cpp
  ${CMAKE_SOURCE_DIR}/cli/command.cpp ${CMAKE_SOURCE_DIR}/cli/garden_io.cpp
  ${CMAKE_SOURCE_DIR}/cli/garden_output.cpp)
target_link_libraries(test_gardens PRIVATE nlohmann_json::nlohmann_json)

# Canvas files and `info` on them, checked by an independent Python reader of
# the layout (host builds only: it runs the built tool).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 COMPONENTS Interpreter)
  if(Python3_Interpreter_FOUND)
    add_test(NAME gardens.canvas_file_reference
             COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/reference/canvas_file_reference.py
                     $<TARGET_FILE:sylvane-cli> ${CMAKE_SOURCE_DIR}/data)
    set_tests_properties(gardens.canvas_file_reference PROPERTIES TIMEOUT 300)
  endif()
endif()
