# The garden commands of sylvane-cli are tested in-process: link their sources,
# the command table and the shared garden helpers into the test program.
target_sources(test_gardens PRIVATE
  ${CMAKE_SOURCE_DIR}/cli/cmd_new.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_plant.cpp
  ${CMAKE_SOURCE_DIR}/cli/cmd_grow.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_save_tree.cpp
  ${CMAKE_SOURCE_DIR}/cli/command.cpp ${CMAKE_SOURCE_DIR}/cli/garden_io.cpp
  ${CMAKE_SOURCE_DIR}/cli/garden_output.cpp)
target_link_libraries(test_gardens PRIVATE nlohmann_json::nlohmann_json)
