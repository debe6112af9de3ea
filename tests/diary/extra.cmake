# The timelapse and diary commands of sylvane-cli are tested in-process, with
# the garden commands that make their input.
target_sources(test_diary PRIVATE
  ${CMAKE_SOURCE_DIR}/cli/cmd_timelapse.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_diary.cpp
  ${CMAKE_SOURCE_DIR}/cli/cmd_new.cpp ${CMAKE_SOURCE_DIR}/cli/cmd_plant.cpp
  ${CMAKE_SOURCE_DIR}/cli/command.cpp ${CMAKE_SOURCE_DIR}/cli/garden_io.cpp
  ${CMAKE_SOURCE_DIR}/cli/garden_output.cpp)
target_link_libraries(test_diary PRIVATE nlohmann_json::nlohmann_json)
